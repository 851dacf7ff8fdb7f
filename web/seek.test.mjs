// Jumps in the browser, in Debian's Chromium, served from 127.0.0.1: a start
// time (?t=), a jump key and the scene list, each showing the desktop
// recorder's picture of the time jumped to, and the music moved with it.
// Run by scripts/web-test after scripts/web.
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { fileURLToPath } from "node:url";
import { ScreenPixels, canvasRgb, openSite, showBesideMusic } from "./test-support.mjs";

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), "..");
let site, frames;

before(async () => {
  site = await openSite(path.join(root, "build-web/site"), "seek-test");
  frames = fs.mkdtempSync(path.join(os.tmpdir(), "seek-test-frames-"));
});

after(async () => {
  await site?.close();
  fs.rmSync(frames, { recursive: true, force: true });
});

// The page with its jump reports ("demo: jumped to MS ms, computed in MS ms")
// and errors collected. With `silent` the music refuses to play, as where a
// browser blocks sound: the page waits for a click and the show's clock
// stands at the time jumped to, so the picture holds.
async function openPage(query, silent) {
  const page = await site.browser.newPage();
  const errors = [], jumps = [];
  page.on("pageerror", (error) => errors.push(error.message));
  page.on("console", (message) => {
    const text = message.text();
    const jump = /^demo: jumped to (\d+) ms, computed in (\d+) ms/.exec(text);
    if (jump)
      jumps.push({ to: Number(jump[1]), took: Number(jump[2]) });
    else if (message.type() === "error")
      errors.push(text);
  });
  if (silent)
    await page.evaluateOnNewDocument(() => {
      HTMLMediaElement.prototype.play = function () {
        return Promise.reject(new DOMException("sound is blocked in this test", "NotAllowedError"));
      };
    });
  await page.goto(`${site.origin}/${query}`);
  return { page, errors, jumps };
}

async function awaitJumps(page, jumps, count) {
  for (let i = 0; i < 600 && jumps.length < count; ++i)
    await new Promise((resolve) => setTimeout(resolve, 100));
  assert.ok(jumps.length >= count, `only ${jumps.length} jumps reported, not ${count}`);
  return jumps[count - 1];
}

// The desktop recorder's picture at `time`, as RGB.
function recordedRgb(time) {
  execFileSync(path.join(root, "build/demo-capture"),
               ["--until", String(time + 1), "--at", String(time), "--raw", "--out", frames],
               { cwd: root, stdio: "inherit" });
  const raw = fs.readFileSync(path.join(frames, `frame-${time}.raw`));
  const rgb = Buffer.alloc(ScreenPixels * 3);
  for (let i = 0; i < ScreenPixels; ++i)
    raw.copy(rgb, 3 * i, ScreenPixels + 3 * raw[i], ScreenPixels + 3 * raw[i] + 3);
  return rgb;
}

async function assertRecorderPicture(page, time) {
  const expected = recordedRgb(time);
  let differing = 0;
  for (let attempt = 0; attempt < 20; ++attempt) {
    const shown = await canvasRgb(page);
    differing = 0;
    for (let i = 0; i < ScreenPixels; ++i)
      differing += shown.compare(expected, 3 * i, 3 * i + 3, 3 * i, 3 * i + 3) !== 0;
    if (differing === 0)
      return;
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  assert.equal(differing, 0, `${differing} pixels differ from the recorder's picture at ${time} ms`);
}

test("?t= and a jump key show the recorder's pictures", { timeout: 600000 }, async () => {
  const { page, errors, jumps } = await openPage("?t=200", true);
  const start = await awaitJumps(page, jumps, 1);
  assert.equal(start.to, 200000);
  await page.waitForFunction(() => document.getElementById("notice").textContent === "Click to start",
                             { timeout: 60000, polling: 100 });
  await assertRecorderPicture(page, 200000);

  await page.keyboard.press("ArrowRight");
  const next = await awaitJumps(page, jumps, 2);
  assert.ok(next.to >= 216010 && next.to <= 216050, `the right arrow went to ${next.to} ms, not the cloud flight`);
  await assertRecorderPicture(page, next.to);

  // i: the caption names the scene and the time beside the picture, which
  // stays the recorder's.
  await page.keyboard.press("i");
  await page.waitForFunction(() => !document.getElementById("caption").hidden, { timeout: 10000 });
  assert.match(await page.$eval("#caption", (caption) => caption.textContent), /^cloud flight  216\.\d\d s$/);
  await assertRecorderPicture(page, next.to);
  console.log(`seek: browser jumps to 200 s from the start in ${start.took} ms, ` +
              `on to the next scene in ${next.took} ms`);
  assert.deepEqual(errors, []);
  await page.close();
});

test("the scene list stays hidden while the show plays and jumps with the music", { timeout: 600000 },
     async () => {
  const { page, errors, jumps } = await openPage("", false);
  await page.waitForFunction(() => !document.getElementById("music").paused &&
                                   document.getElementById("music").currentTime > 1,
                             { timeout: 180000, polling: 100 });
  assert.equal(await page.$eval("#scenes", (list) => list.hidden), true, "the list covers the playing show");

  await page.mouse.move(100, 100);
  await page.mouse.move(120, 140);
  const names = await page.$$eval("#scenes a", (links) => links.map((link) => link.textContent));
  assert.ok(names.some((name) => name.endsWith("sun rays over water")), `scenes: ${names}`);
  const links = await page.$$("#scenes a");
  const farthest = links[names.findIndex((name) => name.endsWith("sun rays over water"))];
  await farthest.click();
  const jump = await awaitJumps(page, jumps, 1);
  assert.ok(jump.to >= 246010 && jump.to <= 246050, `the list went to ${jump.to} ms`);
  console.log(`seek: browser jumps from 0 to the sun rays (246 s) in ${jump.took} ms`);

  // The music follows: its position within 50 ms of the show's time over a
  // second of play after the jump.
  await new Promise((resolve) => setTimeout(resolve, 500));
  const samples = await showBesideMusic(page, { pictures: 40 });
  const drift = Math.max(...samples.map((s) => Math.abs(s.show - s.audio)));
  assert.ok(samples[0].show >= 246000 && samples[0].show < 250000, `the show is at ${samples[0].show} ms`);
  assert.ok(drift <= 50, `show and music ${drift} ms apart after the jump`);
  await page.waitForFunction(() => document.getElementById("scenes").hidden, { timeout: 10000, polling: 100 });
  assert.deepEqual(errors, []);
  await page.close();
});
