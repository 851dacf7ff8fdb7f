// What the browser tests share: a static file server over the built site,
// Debian's Chromium and the canvas read back as RGB.
import fs from "node:fs";
import http from "node:http";
import os from "node:os";
import path from "node:path";
import puppeteer from "puppeteer-core";

export const ScreenPixels = 320 * 240;

const Types = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm",
                ".ogg": "audio/ogg" };

export function serveSite(site) {
  const server = http.createServer((request, response) => {
    let file = path.join(site, decodeURIComponent(new URL(request.url, "http://local").pathname));
    if (file.endsWith("/"))
      file += "index.html";
    fs.readFile(file, (error, body) => {
      if (error || !file.startsWith(site)) {
        response.writeHead(404).end();
        return;
      }
      response.writeHead(200, { "content-type": Types[path.extname(file)] || "application/octet-stream" });
      response.end(body);
    });
  });
  return new Promise((resolve) => server.listen(0, "127.0.0.1", () => resolve(server)));
}

// Headless, with its profile in `profile` and the given autoplay policy (the
// browser's own default changes between releases, so a test always names
// one); shared memory in a temporary folder, as a container's /dev/shm may be
// small; a fixed language, scale and window, so no other default of the
// machine reaches the page.
export function launchChromium(profile, autoplayPolicy) {
  return puppeteer.launch({
    executablePath: "/usr/bin/chromium",
    headless: true,
    args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
           `--autoplay-policy=${autoplayPolicy}`, "--disable-dev-shm-usage",
           "--disable-background-networking", "--disable-component-update", "--disable-sync",
           "--lang=en-US", "--force-device-scale-factor=1", "--window-size=1280,960",
           `--user-data-dir=${profile}`],
  });
}

// The canvas as RGB, 3 bytes a pixel.
export async function canvasRgb(page) {
  const rgba = Buffer.from(await page.evaluate(() => {
    const data = document.getElementById("screen").getContext("2d").getImageData(0, 0, 320, 240).data;
    let text = "";
    for (let i = 0; i < data.length; i += 0x8000)
      text += String.fromCharCode(...data.subarray(i, i + 0x8000));
    return btoa(text);
  }), "base64");
  const rgb = Buffer.alloc(ScreenPixels * 3);
  for (let i = 0; i < ScreenPixels; ++i)
    rgba.copy(rgb, 3 * i, 4 * i, 4 * i + 3);
  return rgb;
}

// The built site served and a browser that lets sound play (each test that
// needs sound blocked blocks it on its page); `close` ends both and removes
// the browser's profile.
export async function openSite(site, name) {
  const server = await serveSite(site);
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), `${name}-profile-`));
  const browser = await launchChromium(profile, "no-user-gesture-required");
  return {
    browser,
    origin: `http://127.0.0.1:${server.address().port}`,
    close: async () => {
      await browser.close();
      server.close();
      fs.rmSync(profile, { recursive: true, force: true });
    },
  };
}

// Samples, one a presented picture taken as the page draws it, of the show's
// time beside the music's position at that moment (both in ms), until
// `pictures` have been taken or the music reaches `musicSeconds`.
export function showBesideMusic(page, { pictures = Infinity, musicSeconds = Infinity }) {
  return page.evaluate((pictures, musicSeconds) => new Promise((resolve) => {
    const audio = document.getElementById("music");
    const draw = Module.showPage.draw;
    const taken = [];
    Module.showPage.draw = (indices, colours) => {
      draw(indices, colours);
      taken.push({ show: Module._showTimeMs(), audio: audio.currentTime * 1000 });
      if (taken.length >= pictures || audio.currentTime >= musicSeconds)
        resolve(taken);
    };
  }), pictures, musicSeconds);
}
