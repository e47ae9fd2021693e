#!/usr/bin/env node
// Browser test of the tracking report: a headless Chromium, driven over its
// DevTools protocol on a pipe (no packages, no ports), opens real reports.
//
//   browser_test.js REPORT AUTOSTART-REPORT [--screenshot PNG]
//
// REPORT (made with -track): a mouse click on the source span of a start
// tag must highlight its element definition, its condition (as held) and
// rule in the script and the output its rule wrote, scroll those panes to
// them, and the arrow keys must step through the actions. AUTOSTART-REPORT (made with
// -trackautostart) must play from the first action to the last by itself.
// Neither page may raise a JavaScript error. With --screenshot the first
// report is photographed after the click.
"use strict";
const { spawn } = require("child_process");
const fs = require("fs");
const os = require("os");
const path = require("path");

const args = process.argv.slice(2);
const shotIndex = args.indexOf("--screenshot");
const screenshot = shotIndex >= 0 ? args.splice(shotIndex, 2)[1] : null;
if (args.length !== 2) {
  console.error("usage: browser_test.js REPORT AUTOSTART-REPORT [--screenshot PNG]");
  process.exit(2);
}
const [report, autostartReport] = args.map((p) => path.resolve(p));
const browser = process.env.CHROMIUM || "chromium";

const profile = fs.mkdtempSync(path.join(os.tmpdir(), "tessar-chromium-"));
const chrome = spawn(browser, [
  "--headless=new", "--remote-debugging-pipe", "--no-sandbox", "--disable-gpu", "--no-first-run",
  "--no-default-browser-check", "--disable-extensions", "--allow-file-access-from-files",
  "--disable-background-timer-throttling", "--disable-renderer-backgrounding",
  "--disable-backgrounding-occluded-windows",
  "--user-data-dir=" + profile, "--window-size=1400,900", "about:blank",
], { stdio: ["ignore", "ignore", "pipe", "pipe", "pipe"] });
let chromeLog = "";
chrome.stderr.on("data", (d) => { chromeLog += d; });

let nextId = 1;
const pending = new Map();
const listeners = [];
let buffer = "";
chrome.stdio[4].on("data", (chunk) => {
  buffer += chunk.toString("utf8");
  let end;
  while ((end = buffer.indexOf("\0")) >= 0) {
    const message = JSON.parse(buffer.slice(0, end));
    buffer = buffer.slice(end + 1);
    if (message.id && pending.has(message.id)) {
      const { resolve, reject } = pending.get(message.id);
      pending.delete(message.id);
      if (message.error) reject(new Error(JSON.stringify(message.error)));
      else resolve(message.result);
    } else if (message.method) {
      for (const listener of listeners) listener(message);
    }
  }
});

function send(method, params = {}, sessionId) {
  const id = nextId++;
  const message = { id, method, params };
  if (sessionId) message.sessionId = sessionId;
  chrome.stdio[3].write(JSON.stringify(message) + "\0");
  return new Promise((resolve, reject) => pending.set(id, { resolve, reject }));
}

function waitFor(predicate, what, ms = 30000) {
  return new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error("timed out waiting for " + what)), ms);
    listeners.push((message) => {
      if (predicate(message)) { clearTimeout(timer); resolve(message); }
    });
  });
}

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
const failures = [];
function check(condition, text) {
  console.log((condition ? "ok   " : "FAIL ") + text);
  if (!condition) failures.push(text);
}

async function openPage(file, hash) {
  const { targetId } = await send("Target.createTarget", { url: "about:blank" });
  const { sessionId } = await send("Target.attachToTarget", { targetId, flatten: true });
  const errors = [];
  listeners.push((m) => {
    if (m.sessionId !== sessionId) return;
    if (m.method === "Runtime.exceptionThrown") errors.push(m.params.exceptionDetails.exception
      ? m.params.exceptionDetails.exception.description : m.params.exceptionDetails.text);
    if (m.method === "Runtime.consoleAPICalled" && m.params.type === "error")
      errors.push(m.params.args.map((a) => a.value || a.description).join(" "));
  });
  await send("Page.enable", {}, sessionId);
  await send("Runtime.enable", {}, sessionId);
  const loaded = waitFor((m) => m.sessionId === sessionId && m.method === "Page.loadEventFired", "load of " + file);
  await send("Page.navigate", { url: "file://" + file + (hash || "") }, sessionId);
  await loaded;
  const evaluate = async (expression) => {
    const r = await send("Runtime.evaluate", { expression, returnByValue: true }, sessionId);
    if (r.exceptionDetails) throw new Error("page: " + JSON.stringify(r.exceptionDetails));
    return r.result.value;
  };
  return { sessionId, errors, evaluate };
}

async function click(page, x, y) {
  for (const type of ["mouseMoved", "mousePressed", "mouseReleased"])
    await send("Input.dispatchMouseEvent", { type, x, y, button: "left", clickCount: 1 }, page.sessionId);
}

async function key(page, name, code) {
  for (const type of ["keyDown", "keyUp"])
    await send("Input.dispatchKeyEvent", { type, key: name, code: name, windowsVirtualKeyCode: code }, page.sessionId);
}

// What the page shows: highlighted spans per pane, with their texts, and
// whether the first of them lies within its pane's visible part.
const STATE = `(() => {
  const pane = (id) => {
    const feld = document.getElementById(id);
    const spans = [...feld.querySelectorAll("span.hl")];
    const box = feld.getBoundingClientRect();
    const first = spans[0] && spans[0].getBoundingClientRect();
    const visible = !!first && first.top >= box.top && first.bottom <= box.bottom;
    return { ids: spans.map((s) => s.id || s.dataset.id), texts: spans.map((s) => s.textContent), visible,
             held: spans.filter((s) => s.classList.contains("ja")).map((s) => s.textContent),
             failed: spans.filter((s) => s.classList.contains("nein")).map((s) => s.textContent) };
  };
  return { skript: pane("skript"), quelle: pane("quelle"), ziel: pane("ziel"),
           chosen: [...document.querySelectorAll("span.gewaehlt")].map((s) => s.id),
           step: window.tracking.jetzt(), steps: window.tracking.schritte,
           stand: document.getElementById("stand").textContent };
})()`;

const FRAME = "new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r)))";

async function clickTest() {
  const page = await openPage(report);
  const steps = await page.evaluate("window.tracking.schritte");
  check(steps > 0, "the report indexes its actions (" + steps + " steps)");

  // The last start tag of a "titel" element in the source: scrolled into
  // view inside its pane, then clicked with the mouse.
  const SUCHE = `[...document.querySelectorAll("#quelle span[id]")].filter((s) =>
      s.textContent === "titel" && s.previousSibling && s.previousSibling.textContent.endsWith("<") &&
      !s.previousSibling.textContent.endsWith("</")).pop()`;
  const id = await page.evaluate(`(() => {
    const span = ${SUCHE};
    if (!span) return null;
    document.getElementById("quelle").scrollTop += span.getBoundingClientRect().top -
      document.getElementById("quelle").getBoundingClientRect().top - 50;
    return span.id;
  })()`);
  await page.evaluate(FRAME);
  const target = id === null ? null : await page.evaluate(`(() => {
    const r = document.getElementById("${id}").getBoundingClientRect();
    return { id: "${id}", x: r.left + r.width / 2, y: r.top + r.height / 2 };
  })()`);
  check(target !== null, "the source shows the start tag of titel");
  if (target === null) return page;
  await click(page, target.x, target.y);
  await page.evaluate(FRAME);
  const state = await page.evaluate(STATE);
  check(state.chosen.length === 1 && state.chosen[0] === target.id, "the clicked span " + target.id + " is marked");
  check(state.skript.texts.includes("titel"), "its element definition is highlighted in the script: " +
    JSON.stringify(state.skript.texts));
  check(state.skript.texts.includes("BEG") && state.skript.texts.includes("<h1>"),
    "its BEG rule and literal are highlighted in the script");
  check(state.ziel.texts.includes("<h1>"), "the output of its rule is highlighted in the result: " +
    JSON.stringify(state.ziel.texts));
  check(!state.ziel.texts.includes("</h1>"), "the end tag's output is not linked to the start tag");
  check(state.skript.held.includes("NOTTOPLEVEL") && state.skript.failed.length === 0,
    "the negated condition shows as held: " + JSON.stringify(state.skript.held));
  check(state.skript.visible && state.ziel.visible, "script and result are scrolled to the highlighted spans");

  // Stepping: the arrow keys move through the actions, each step shows its spans.
  const before = state.step;
  await key(page, "ArrowRight", 39);
  await key(page, "ArrowRight", 39);
  await key(page, "ArrowLeft", 37);
  const stepped = await page.evaluate(STATE);
  check(stepped.step === before + 1, "two steps forward and one back lead one step on (" + stepped.stand + ")");
  const shown = stepped.skript.ids.length + stepped.quelle.ids.length + stepped.ziel.ids.length;
  check(shown >= 1 && shown <= 3, "a step highlights the spans of its action");
  check(stepped.chosen.length === 0, "stepping clears the choice of the click");
  await key(page, "End", 35);
  check((await page.evaluate("window.tracking.jetzt()")) === steps - 1, "End goes to the last action");

  if (screenshot) {
    await page.evaluate('document.getElementById("quelle").scrollTop = 0');
    await page.evaluate(FRAME);
    const again = await page.evaluate(`(() => {
      const r = document.getElementById("${target.id}").getBoundingClientRect();
      return { x: r.left + r.width / 2, y: r.top + r.height / 2 };
    })()`);
    await click(page, again.x, again.y);
    await send("Input.dispatchMouseEvent", { type: "mouseMoved", x: 2, y: 2 }, page.sessionId);
    await page.evaluate(FRAME);
    const shot = await send("Page.captureScreenshot", { format: "png" }, page.sessionId);
    fs.writeFileSync(screenshot, Buffer.from(shot.data, "base64"));
    console.log("screenshot written to " + screenshot);
  }
  check(page.errors.length === 0, "no JavaScript error" + (page.errors.length ? ": " + page.errors.join("; ") : ""));
  return page;
}

async function autostartTest() {
  const page = await openPage(autostartReport, "#tempo=5");
  const steps = await page.evaluate("window.tracking.schritte");
  check(await page.evaluate("window.tracking.laeuft()"), "the autostart report plays on its own");
  const deadline = Date.now() + 60000;
  while (Date.now() < deadline && (await page.evaluate("window.tracking.laeuft()"))) await sleep(100);
  const last = await page.evaluate("window.tracking.jetzt()");
  check(last === steps - 1, "it played through all " + steps + " steps and stopped at the last (" + last + ")");
  check(page.errors.length === 0, "no JavaScript error while playing" +
    (page.errors.length ? ": " + page.errors.join("; ") : ""));
  // The pause button stops a running playback.
  await page.evaluate("window.tracking.gehe(0); window.tracking.abspielen()");
  await page.evaluate('document.getElementById("abspielen").click()');
  check(!(await page.evaluate("window.tracking.laeuft()")), "the pause button stops the playback");
}

(async () => {
  const ready = new Promise((resolve) => setTimeout(resolve, 200));
  chrome.on("exit", (code) => {
    if (pending.size > 0) { console.error("chromium ended (" + code + "):\n" + chromeLog); process.exit(1); }
  });
  await ready;
  try {
    await clickTest();
    await autostartTest();
  } catch (e) {
    failures.push(String(e && e.stack || e));
    console.error(e);
  }
  const ended = new Promise((resolve) => chrome.once("exit", resolve));
  send("Browser.close").catch(() => {});
  await Promise.race([ended, sleep(5000)]);
  if (chrome.exitCode === null) chrome.kill();
  try { fs.rmSync(profile, { recursive: true, force: true, maxRetries: 5 }); } catch (e) { /* left in tmp */ }
  console.log(failures.length === 0 ? "browser test passed" : failures.length + " browser check(s) failed");
  process.exit(failures.length === 0 ? 0 : 1);
})();
