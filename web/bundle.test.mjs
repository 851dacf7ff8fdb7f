// The web bundle as a visitor meets it: build-web/daylong-web.zip unpacked
// into a scratch folder, served by Python's plain static server, opened in
// Debian's Chromium. The page is titled and has its icon; the show plays with
// the Ogg music; a browser that says it cannot play Ogg gets the AAC file and
// plays it. Run by scripts/web-test after scripts/web.
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { execFileSync, spawn } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { fileURLToPath } from "node:url";
import { launchChromium } from "./test-support.mjs";

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), "..");
let scratch, server, browser, origin;

before(async () => {
  scratch = fs.mkdtempSync(path.join(os.tmpdir(), "web-bundle-"));
  execFileSync("python3", ["-m", "zipfile", "-e", path.join(root, "build-web/daylong-web.zip"), scratch]);
  // Port 0: the server takes a free port and names it in its first line.
  server = spawn("python3", ["-u", "-m", "http.server", "0", "--bind", "127.0.0.1",
                             "-d", path.join(scratch, "daylong-web")], { stdio: ["ignore", "pipe", "ignore"] });
  const port = await new Promise((resolve, reject) => {
    server.stdout.on("data", (chunk) => {
      const found = /port (\d+)/.exec(chunk.toString());
      if (found)
        resolve(found[1]);
    });
    server.on("exit", () => reject(new Error("python3 -m http.server ended")));
  });
  origin = `http://127.0.0.1:${port}`;
  browser = await launchChromium(path.join(scratch, "profile"), "no-user-gesture-required");
});

after(async () => {
  await browser?.close();
  server?.kill();
  fs.rmSync(scratch, { recursive: true, force: true });
});

// Opens the page, with `prepare` run in it before any of its scripts, and
// waits until its music has played for two seconds and the show has run.
async function playFor2s(prepare) {
  const page = await browser.newPage();
  const errors = [];
  page.on("pageerror", (error) => errors.push(error.message));
  if (prepare)
    await page.evaluateOnNewDocument(prepare);
  await page.goto(`${origin}/`);
  try {
    await page.waitForFunction(() => {
      const audio = document.getElementById("music");
      return audio.currentTime > 2 && !audio.paused && Module._showTimeMs() > 1000;
    }, { timeout: 120000, polling: 200 });
  } catch (error) {
    const state = await page.evaluate(() => {
      const audio = document.getElementById("music");
      return { src: audio.currentSrc, error: audio.error && audio.error.message, time: audio.currentTime,
               notice: document.getElementById("notice").textContent };
    });
    throw new Error(`the show did not play: ${JSON.stringify(state)}; ${JSON.stringify(errors)}`, { cause: error });
  }
  const music = await page.evaluate(() => document.getElementById("music").currentSrc);
  const title = await page.title();
  await page.close();
  return { music, title, errors };
}

test("the unpacked bundle plays from a static server, titled and with its icon", { timeout: 180000 }, async () => {
  const { music, title, errors } = await playFor2s(null);
  assert.equal(title, "Daylong");
  assert.match(music, /\/music\.ogg$/);
  assert.deepEqual(errors, []);
  const icon = await fetch(`${origin}/icon.png`);
  assert.equal(icon.status, 200);
  assert.equal(icon.headers.get("content-type"), "image/png");
});

test("a browser that cannot play Ogg Vorbis plays the AAC music", { timeout: 180000 }, async () => {
  const { music, errors } = await playFor2s(() => {
    const canPlay = HTMLMediaElement.prototype.canPlayType;
    HTMLMediaElement.prototype.canPlayType = function (type) {
      return /ogg/.test(type) ? "" : canPlay.call(this, type);
    };
  });
  assert.match(music, /\/music\.m4a$/);
  assert.deepEqual(errors, []);
});
