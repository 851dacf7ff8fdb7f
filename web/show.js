// The page's side of the web build: the clock that follows the music, the
// music itself, drawing each presented picture through the palette in force,
// integer scaling, full screen, the "click to start" state, and jumps: the
// start time of ?t=SECONDS, the jump keys and the scene list.
"use strict";

const ScreenWidth = 320, ScreenHeight = 240;
// The page's clock may run ahead of the last position the audio reported by
// at most this much, so a stalled stream holds the show instead of leaving it.
const MaxInterpolationMs = 40;

const canvas = document.getElementById("screen");
const notice = document.getElementById("notice");
const caption = document.getElementById("caption");
const scenes = document.getElementById("scenes");
const sceneLinks = document.getElementById("scene-links");
const audio = document.getElementById("music");
// The music is Ogg Vorbis; browsers that cannot play it get the same piece as AAC.
audio.src = audio.canPlayType('audio/ogg; codecs="vorbis"') ? "music.ogg" : "music.m4a";
const query = new URLSearchParams(location.search);

const page = {
  clockMs: 0,         // last reading, never goes back
  audioMs: -1,        // audio position at the last change seen
  audioSeenAt: 0,     // performance.now() at that change
  wallAt: 0,          // performance.now() at the last reading
  loading: true,      // the module is still downloading or starting
  waitingForClick: false,
  image: null,
  endedAt: null,      // the show's clock reading when it ended or a virtual run stopped
  startMs: 0,         // where the music starts on the click: 0, or the last jump's time
  jumping: false,     // a jump is under way: further jump requests wait for it
};
// The scene list shows while the pointer moves over the page and for this
// long after, so that it never covers the picture while the show plays alone.
const SceneListShownMs = 3000;

// Milliseconds of music played: the audio's position, carried on between its
// updates by the wall clock; 0 until the music starts; after the music ends,
// the wall clock alone.
page.clock = function () {
  const now = performance.now();
  let t = page.clockMs;
  if (!audio.paused && !audio.ended) {
    const position = audio.currentTime * 1000;
    if (position !== page.audioMs) {
      page.audioMs = position;
      page.audioSeenAt = now;
    }
    if (position > 0)
      t = position + Math.min(now - page.audioSeenAt, MaxInterpolationMs);
  } else if (audio.ended) {
    t += now - page.wallAt;
  }
  page.wallAt = now;
  page.clockMs = Math.max(page.clockMs, t);
  return Math.floor(page.clockMs) >>> 0;
};

// A music file the browser cannot load or decode sets the element's error;
// any other refusal (sound blocked until a click, a play interrupted while the
// file loads) is answered by asking for a click, which tries again.
function musicRefused(error) {
  if (audio.error) {
    showNotice("The music cannot play: " + (audio.error.message || error.message));
    return;
  }
  page.waitingForClick = true;
  showNotice("Click to start");
}

page.playMusic = function () {
  audio.currentTime = 0;
  audio.play().then(() => showNotice(null)).catch(musicRefused);
};

page.stopMusic = function () {
  audio.pause();
};

// ?at=MS: a whole number of milliseconds up to 2^31 - 1, or -1 for none.
page.virtualTime = function () {
  const at = query.get("at");
  return at !== null && /^\d{1,10}$/.test(at) && Number(at) <= 0x7fffffff ? Number(at) : -1;
};

// ?t=SECONDS: where the show starts, in ms (at most three decimals, within
// the show's 284 s), or -1 for the start.
page.startTime = function () {
  const t = query.get("t");
  if (t === null || !/^\d{1,3}(\.\d{1,3})?$/.test(t))
    return -1;
  const ms = Math.round(Number(t) * 1000);
  return ms <= 284000 ? ms : -1;
};

// After a jump the music plays from the show's time, and the clock starts
// over from there (it never goes back otherwise).
page.seekMusic = function (ms) {
  page.startMs = ms;
  audio.currentTime = ms / 1000;
  page.clockMs = ms;
  page.audioMs = -1;
  page.audioSeenAt = page.wallAt = performance.now();
  if (audio.ended && !page.waitingForClick)
    audio.play().catch(musicRefused);
};

page.caption = function (text) {
  caption.hidden = text === null;
  if (text !== null)
    caption.textContent = text;
};

// A jump takes a moment of the page's time: the notice is painted first.
function requestJump(call) {
  if (page.loading || page.jumping || page.endedAt !== null)
    return;
  page.jumping = true;
  const waiting = page.waitingForClick;
  showNotice("Jumping…");
  requestAnimationFrame(() => setTimeout(() => {
    call();
    page.jumping = false;
    showNotice(waiting ? "Click to start" : null);
  }, 0));
}

// The list: one link a scene, "m:ss name".
page.sceneList = function (lines) {
  sceneLinks.replaceChildren();
  for (const line of lines.trim().split("\n")) {
    const space = line.indexOf(" ");
    const ms = Number(line.slice(0, space));
    const seconds = Math.floor(ms / 1000);
    const link = document.createElement("a");
    link.href = `?t=${(ms / 1000).toFixed(2)}`;
    link.textContent = `${Math.floor(seconds / 60)}:${String(seconds % 60).padStart(2, "0")} ${line.slice(space + 1)}`;
    link.addEventListener("click", (event) => {
      event.preventDefault();
      requestJump(() => Module._jumpToScene(ms));
    });
    sceneLinks.append(link);
  }
};

let hideScenes = 0;
function showScenesAwhile() {
  scenes.hidden = false;
  clearTimeout(hideScenes);
  hideScenes = setTimeout(() => { scenes.hidden = true; }, SceneListShownMs);
}

// indices: the 320 x 240 picture; colours: 256 RGBA entries, one Uint32 each.
page.draw = function (indices, colours) {
  const context = canvas.getContext("2d");
  if (!page.image)
    page.image = context.createImageData(ScreenWidth, ScreenHeight);
  const out = new Uint32Array(page.image.data.buffer);
  for (let i = 0; i < out.length; ++i)
    out[i] = colours[indices[i]];
  context.putImageData(page.image, 0, 0);
};

page.ended = function (at) {
  page.endedAt = at;
  if (page.virtualTime() < 0)
    showNotice("The end");
};

function showNotice(text) {
  notice.hidden = text === null;
  if (text !== null)
    notice.textContent = text;
}

// The largest whole multiple of 320 x 240 device pixels that fits the
// window, at least 1, so every picture pixel is the same square of them.
function fitCanvas() {
  const ratio = devicePixelRatio || 1;
  const scale = Math.max(1, Math.floor(Math.min(innerWidth * ratio / ScreenWidth,
                                                innerHeight * ratio / ScreenHeight)));
  const style = document.documentElement.style;
  style.setProperty("--width", ScreenWidth * scale / ratio + "px");
  style.setProperty("--height", ScreenHeight * scale / ratio + "px");
}

function toggleFullScreen() {
  if (document.fullscreenElement)
    document.exitFullscreen();
  else
    document.documentElement.requestFullscreen().catch(() => {});
}

function startAfterClick() {
  page.waitingForClick = false;
  showNotice(null);
  audio.currentTime = page.startMs / 1000;
  audio.play().catch(musicRefused);
}

notice.addEventListener("click", () => {
  if (page.waitingForClick)
    startAfterClick();
});
canvas.addEventListener("click", toggleFullScreen);
// The jump keys as the show numbers them (right arrow, left arrow, Home, i).
const JumpKeys = { ArrowRight: 0, ArrowLeft: 1, Home: 2, i: 3 };
document.addEventListener("keydown", (event) => {
  if (event.key === "f" && !event.repeat)
    toggleFullScreen();
  const key = JumpKeys[event.key];
  if (key === undefined || event.repeat)
    return;
  event.preventDefault();
  if (key === 3)
    Module._pressJumpKey(key);
  else
    requestJump(() => Module._pressJumpKey(key));
}, true);
document.addEventListener("pointermove", showScenesAwhile);
addEventListener("resize", fitCanvas);
fitCanvas();

var Module = {
  canvas: canvas,
  showPage: page,
  onRuntimeInitialized: () => {
    page.loading = false;
    showNotice(null);
  },
  print: (text) => console.log(text),
  printErr: (text) => console.error(text),
  setStatus: (text) => {
    if (page.loading && text)
      showNotice(text);
  },
  onAbort: () => showNotice("The show stopped with an error"),
};
