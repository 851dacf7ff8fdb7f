// The web build in Debian's Chromium, served from 127.0.0.1: its pictures on
// the virtual clock against the desktop recorder's, and the real clock's
// picture against the music. Run by scripts/web-test after scripts/web.
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { fileURLToPath } from "node:url";
import { ScreenPixels, canvasRgb, openSite, showBesideMusic } from "./test-support.mjs";

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), "..");
let site;

before(async () => {
  site = await openSite(path.join(root, "build-web/site"), "web-test");
});

after(async () => {
  await site?.close();
});

// Before the page's own scripts run, makes every play() refuse with a
// NotAllowedError until the user has pressed a mouse button or a key on the
// page, as a browser that blocks sound does.
function blockSoundUntilGesture() {
  let gesture = false;
  for (const type of ["mousedown", "pointerdown", "keydown", "touchend"])
    addEventListener(type, (event) => { gesture ||= event.isTrusted; }, true);
  const play = HTMLMediaElement.prototype.play;
  HTMLMediaElement.prototype.play = function () {
    return gesture ? play.call(this)
                   : Promise.reject(new DOMException("play() needs a user gesture", "NotAllowedError"));
  };
}

async function openPage(query, { soundBlocked = false } = {}) {
  const page = await site.browser.newPage();
  const errors = [];
  page.on("pageerror", (error) => errors.push(error.message));
  page.on("console", (message) => message.type() === "error" && errors.push(message.text()));
  if (soundBlocked)
    await page.evaluateOnNewDocument(blockSoundUntilGesture);
  await page.goto(`${site.origin}/${query}`);
  return { page, errors };
}

// What the page shows and plays, for a failure's message.
function pageState(page) {
  return page.evaluate(() => {
    const notice = document.getElementById("notice"), audio = document.getElementById("music");
    return { notice: notice.hidden ? null : notice.textContent, loading: Module.showPage.loading,
             showTimeMs: Module.showPage.loading ? null : Module._showTimeMs(),
             audio: { readyState: audio.readyState, networkState: audio.networkState, paused: audio.paused,
                      error: audio.error && audio.error.message, currentTime: audio.currentTime } };
  });
}

async function waitFor(page, what, condition, timeout) {
  try {
    await page.waitForFunction(condition, { timeout, polling: 100 });
  } catch (error) {
    throw new Error(`${what}: the page shows ${JSON.stringify(await pageState(page))}`, { cause: error });
  }
}

// The show against its music until the music reaches `seconds`: the largest
// gap and the first sample's show time.
async function keepsToTheMusic(page, seconds) {
  const samples = await showBesideMusic(page, { musicSeconds: seconds });
  const playing = samples.filter((s) => s.audio > 0);
  const drift = Math.max(...playing.map((s) => Math.abs(s.show - s.audio)));
  console.log(`web: ${playing.length} samples over ${seconds} s of music; ` +
              `show time within ${drift.toFixed(1)} ms of the music`);
  return { drift, firstShowMs: playing[0].show };
}

// The recorder's frame: 76800 indices, then 256 RGB entries.
function recordedRgb(raw) {
  const rgb = Buffer.alloc(ScreenPixels * 3);
  for (let i = 0; i < ScreenPixels; ++i)
    raw.copy(rgb, 3 * i, ScreenPixels + 3 * raw[i], ScreenPixels + 3 * raw[i] + 3);
  return rgb;
}

// Credits, jungle, forest with calendar, sand logo, spider web, rain,
// greetings, sun rays: the scenes with random bites, rain and sparks among them.
const Times = [12000, 44000, 55000, 84000, 110000, 150000, 200000, 265000];

test("pictures on the virtual clock equal the desktop recorder's", { timeout: 600000 }, async () => {
  const frames = fs.mkdtempSync(path.join(os.tmpdir(), "web-test-frames-"));
  execFileSync(path.join(root, "build/demo-capture"),
               [...Times.flatMap((t) => ["--at", String(t)]), "--raw", "--out", frames],
               { cwd: root, stdio: "inherit" });
  for (const time of Times) {
    const { page, errors } = await openPage(`?at=${time}`);
    await page.waitForFunction(() => Module.showPage.endedAt !== null, { timeout: 120000, polling: 200 });
    const expected = recordedRgb(fs.readFileSync(path.join(frames, `frame-${time}.raw`)));
    const shown = await canvasRgb(page);
    let differing = 0;
    for (let i = 0; i < ScreenPixels; ++i)
      differing += shown.compare(expected, 3 * i, 3 * i + 3, 3 * i, 3 * i + 3) !== 0;
    assert.equal(differing, 0, `${differing} pixels differ at ${time} ms`);
    assert.deepEqual(errors, []);
    await page.close();
  }
  fs.rmSync(frames, { recursive: true, force: true });
});

test("where sound is blocked the show waits for a click, then keeps to the music",
     { timeout: 360000 }, async () => {
  const { page, errors } = await openPage("", { soundBlocked: true });
  await waitFor(page, 'no "Click to start"',
                () => !document.getElementById("notice").hidden &&
                      document.getElementById("notice").textContent === "Click to start", 180000);
  await new Promise((resolve) => setTimeout(resolve, 500));
  assert.equal(await page.evaluate(() => Module._showTimeMs()), 0, "the show ran before the click");
  assert.equal(await page.evaluate(() => document.getElementById("music").paused), true,
               "the music played before the click");

  await page.click("#notice");
  await waitFor(page, "the notice stayed after the click", () => document.getElementById("notice").hidden, 10000);
  const { drift, firstShowMs } = await keepsToTheMusic(page, 60);
  assert.ok(firstShowMs < 1000, `the show started at ${firstShowMs} ms, not 0`);
  assert.ok(drift <= 50, `show and music ${drift} ms apart`);
  assert.deepEqual(errors, []);
  await page.close();
});

test("where sound is allowed the show starts at once, without a notice, and keeps to the music",
     { timeout: 300000 }, async () => {
  const { page, errors } = await openPage("");
  await waitFor(page, "the music did not start by itself",
                () => !Module.showPage.loading && document.getElementById("music").currentTime > 0, 180000);
  assert.equal(await page.evaluate(() => document.getElementById("notice").hidden), true,
               `a notice is shown: ${JSON.stringify(await pageState(page))}`);
  const { drift, firstShowMs } = await keepsToTheMusic(page, 20);
  assert.ok(firstShowMs < 2000, `the show started at ${firstShowMs} ms`);
  assert.ok(drift <= 50, `show and music ${drift} ms apart`);
  assert.equal(await page.evaluate(() => Module.showPage.waitingForClick), false, "the page asked for a click");
  assert.deepEqual(errors, []);
  await page.close();
});
