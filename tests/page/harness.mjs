// Shared by the page's browser tests: a server for the page and one standing in for the
// bank's certificate service (both on 127.0.0.1 only), Debian's Chromium driven headless
// by playwright-core, and a page opened with the mock external object.
import { chromium } from "playwright-core";
import { createServer } from "node:http";
import { readFileSync, existsSync, mkdirSync } from "node:fs";
import { extname, join, normalize, dirname } from "node:path";
import { fileURLToPath } from "node:url";

const here = dirname(fileURLToPath(import.meta.url));
export const pageDir = normalize(join(here, "../../resources/page"));

// The library the build extracts from the npm package; run-page-tests.sh extracts it the
// same way (cmake/ExtractJquery.cmake) and names the file here.
const jqueryFile = process.env.TESSALY_JQUERY;
if (!jqueryFile || !existsSync(jqueryFile)) {
  throw new Error("TESSALY_JQUERY must name the extracted jQuery 1.6.2 (run tests/page/run-page-tests.sh)");
}
export const shotDir = process.env.TESSALY_SCREENSHOTS || null;

const TYPES = { ".html": "text/html; charset=utf-8", ".css": "text/css", ".js": "application/javascript",
  ".png": "image/png", ".gif": "image/gif", ".jpg": "image/jpeg" };

function listen(server) {
  return new Promise((resolve) => server.listen(0, "127.0.0.1", () => resolve(server.address().port)));
}

// Serves the page folder as the program's resources would: every asset by its relative
// address, jQuery from the build's extraction. Unknown addresses are recorded.
export async function startPageServer() {
  const missing = [];
  const server = createServer((req, res) => {
    const path = decodeURIComponent(new URL(req.url, "http://127.0.0.1").pathname).replace(/^\/+/, "");
    const file = path === "js/jquery.min.js" ? jqueryFile : normalize(join(pageDir, path));
    if (!file.startsWith(pageDir) && file !== jqueryFile || !existsSync(file)) {
      // The browser asks for a site icon on its own; the page does not.
      if (path !== "favicon.ico") missing.push(path);
      res.writeHead(404);
      res.end();
      return;
    }
    res.writeHead(200, { "Content-Type": TYPES[extname(file)] || "application/octet-stream" });
    res.end(readFileSync(file));
  });
  const port = await listen(server);
  return { url: `http://127.0.0.1:${port}/index.html`, missing, close: () => server.close() };
}

// The certificate service: records every request with its form fields and answers each
// path with what the test set in `answers` (text, or a function of the fields).
export async function startCertServer() {
  const requests = [];
  const answers = {};
  const captcha = readFileSync(join(pageDir, "images/blank.gif"));
  const server = createServer((req, res) => {
    const cors = { "Access-Control-Allow-Origin": "*", "Access-Control-Allow-Headers": "*" };
    const url = new URL(req.url, "http://127.0.0.1");
    const path = url.pathname.replace(/^\/quaymarkcert\//, "");
    if (req.method === "OPTIONS") {
      res.writeHead(204, cors);
      res.end();
      return;
    }
    let body = "";
    req.setEncoding("utf8");
    req.on("data", (chunk) => { body += chunk; });
    req.on("end", () => {
      const fields = Object.fromEntries(new URLSearchParams(body));
      requests.push({ method: req.method, path, query: url.search, fields });
      if (path === "VerifyImage") {
        res.writeHead(200, { ...cors, "Content-Type": "image/gif" });
        res.end(captcha);
        return;
      }
      const answer = answers[path];
      if (answer === undefined) {
        res.writeHead(404, cors);
        res.end();
        return;
      }
      const text = typeof answer === "function" ? answer(fields) : answer;
      res.writeHead(200, { ...cors, "Content-Type": "text/html; charset=utf-8" });
      res.end(text);
    });
  });
  const port = await listen(server);
  return { base: `http://127.0.0.1:${port}/quaymarkcert/`, requests, answers, close: () => server.close() };
}

export async function launchBrowser() {
  // Playwright starts Chromium with a fresh temporary --user-data-dir of its own.
  return chromium.launch({
    executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
    headless: true,
    args: ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
      "--disable-background-networking", "--disable-component-update", "--disable-sync"],
  });
}

// A fresh context with one page the size of the program's window, and what every browser
// test asks of it. Script errors and dialogs of the page are collected in `errors`; tests
// assert there are none.
export async function openContext(browser, options = {}) {
  const context = await browser.newContext({ viewport: { width: 650, height: 534 }, ...options });
  const page = await context.newPage();
  const errors = [];
  page.on("pageerror", (error) => errors.push(error.message));
  page.on("dialog", (dialog) => { errors.push(`unexpected dialog: ${dialog.message()}`); dialog.dismiss(); });
  return {
    page,
    errors,
    text: (selector) => page.locator(selector).first().innerText(),
    visible: (selector) => page.locator(selector).first().isVisible(),
    screenshot: async (name) => {
      if (!shotDir) return;
      mkdirSync(shotDir, { recursive: true });
      await page.screenshot({ path: join(shotDir, `${name}.png`) });
    },
    close: () => context.close(),
  };
}

// The page tests' stand-in for the program inside the browser control (mock-external.js).
export const mockSource = readFileSync(join(here, "mock-external.js"), "utf8");

// Opens the page with the mock external object configured by `config` (settings,
// keyReport, enroll, enrollFail, legacy, userAgent).
export async function openPage(browser, server, config = {}) {
  const base = await openContext(browser, { userAgent: config.userAgent });
  const { page } = base;
  await page.addInitScript({ content: `(${mockSource})(${JSON.stringify({ enroll: "certenroll", ...config })});` });
  await page.goto(server.url, { waitUntil: "load" });
  const session = {
    ...base,
    calls: () => page.evaluate(() => window.__mock.calls.slice(0)),
    names: async () => (await session.calls()).map((c) => c.name),
    clearCalls: () => page.evaluate(() => { window.__mock.calls.length = 0; }),
    enrollLog: () => page.evaluate(() => window.__mock.enroll.slice(0)),
    settings: () => page.evaluate(() => ({ ...window.__mock.settings })),
    // Calls a page function the way the program does (PageSink).
    sink: (name, ...args) => page.evaluate(([n, a]) => { window[n](...a); }, [name, args]),
  };
  return session;
}

// Both engine flavours the rendering and control tests run in: today's engine, and one
// stripped of what old Internet Explorer lacks (addEventListener, JSON, the ES5 array
// methods, bind, trim).
export const ENGINES = [
  { name: "modern", legacy: false },
  { name: "legacy", legacy: true },
];
