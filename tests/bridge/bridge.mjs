// Shared by the bridge's browser tests: the real program (TessalyBridge.exe) started in
// the test's Wine prefix, its real window reached through bridge_window_signal.exe, the
// real registry read with Wine's reg, and its page opened in Debian's Chromium.
// run-bridge-tests.sh sets the environment: WINE, WINEPREFIX, TESSALY_BRIDGE (the
// program), TESSALY_BRIDGE_SIGNAL (the window helper), TESSALY_SCREENSHOTS.
import { spawn, spawnSync } from "node:child_process";
import { existsSync, readFileSync, rmSync } from "node:fs";
import { join } from "node:path";
import { setTimeout as sleep } from "node:timers/promises";
import { mockSource, openContext } from "../page/harness.mjs";

const wine = process.env.WINE || "/usr/lib/wine/wine";
const program = process.env.TESSALY_BRIDGE;
const signalProgram = process.env.TESSALY_BRIDGE_SIGNAL;
const prefix = process.env.WINEPREFIX;
if (!program || !signalProgram || !prefix) {
  throw new Error("run me through tests/bridge/run-bridge-tests.sh");
}
export const settingsKey = "HKCU\\Software\\Brimvane\\Orvendel\\Quaymark";
export const hostsFile = join(prefix, "drive_c/windows/system32/drivers/etc/hosts");
export const tasksFolder = join(prefix, "drive_c/windows/system32/tasks");

// Wine maps the Unix root to drive Z:.
const windowsPath = (path) => "Z:" + path.replaceAll("/", "\\");

export async function until(what, condition, timeoutMs = 30000) {
  const end = Date.now() + timeoutMs;
  for (;;) {
    const value = await condition();
    if (value) return value;
    if (Date.now() > end) throw new Error(`timed out waiting for ${what}`);
    await sleep(100);
  }
}

// Starts the program with `args` and waits for the address it serves its page at.
export async function startBridge(args = []) {
  const addressFile = join(prefix, `bridge-address-${Date.now()}.txt`);
  const child = spawn(wine, [program, ...args, `--address-file=${windowsPath(addressFile)}`],
    { stdio: ["ignore", "pipe", "pipe"] });
  let output = "";
  child.stdout.on("data", (d) => { output += d; });
  child.stderr.on("data", (d) => { output += d; });
  const exited = new Promise((resolve) => child.on("exit", (code) => resolve(code)));
  let ended = false;
  exited.then(() => { ended = true; });
  const url = await until("the bridge's address", () => {
    if (ended) throw new Error(`the bridge ended before serving: ${output}`);
    return existsSync(addressFile) && readFileSync(addressFile, "utf8").trim();
  }, 60000);
  rmSync(addressFile, { force: true });
  const { port, pathname } = new URL(url);
  return { url, port: Number(port), token: pathname.split("/")[1], child, exited, output: () => output };
}

// Runs the window helper; answers its exit status and output.
export function signal(...args) {
  const run = spawnSync(wine, [signalProgram, ...args], { encoding: "utf8", timeout: 30000 });
  return { status: run.status, stdout: run.stdout.trim() };
}

export function windowState() {
  const { stdout } = signal("state");
  return Object.fromEntries(stdout.split(" ").map((pair) => pair.split("=")).map(([k, v]) => [k, Number(v)]));
}

// Ends the program through its tray menu's "退出" and waits for the process to end; notes
// in `bridge.closeTookMs` how long it took from the command (starting the helper that sends
// it takes Wine a while, which is not counted).
export async function stopBridge(bridge) {
  signal("command", "32780");
  const sent = Date.now();
  const code = await Promise.race([bridge.exited, sleep(20000).then(() => "timeout")]);
  bridge.closeTookMs = Date.now() - sent;
  if (code === "timeout") {
    bridge.child.kill();
    throw new Error("the bridge did not end on the tray's exit command");
  }
  return code;
}

// The folder the program downloads to, DownTmp of the user's temporary folder, as Linux
// names it.
export function downloadFolder() {
  const run = (...args) => spawnSync(wine, args, { encoding: "utf8", timeout: 30000 }).stdout?.trim();
  const temp = run("cmd", "/c", "echo", "%TEMP%");
  const folder = temp && run("winepath", "-u", `${temp}\\DownTmp`);
  if (!folder) throw new Error("the prefix's temporary folder is unknown");
  return folder;
}

// A value of the real registry through Wine's reg: a number for DWORDs, the text otherwise,
// null when the value is missing.
export function regQuery(key, name) {
  const run = spawnSync(wine, ["reg", "query", key, "/v", name], { encoding: "utf8", timeout: 30000 });
  const line = (run.stdout || "").split(/\r?\n/).find((l) => l.trim().startsWith(name + " ") || l.trim().startsWith(name + "\t"));
  if (run.status !== 0 || !line) return null;
  const [, type, data = ""] = line.trim().split(/\s{2,}|\t+/);
  return type === "REG_DWORD" ? Number.parseInt(data, 16) : data;
}

export function regSet(key, name, type, data) {
  const run = spawnSync(wine, ["reg", "add", key, "/v", name, "/t", type, "/d", String(data), "/f"],
    { encoding: "utf8", timeout: 30000 });
  if (run.status !== 0) throw new Error(`reg add ${key} ${name} failed: ${run.stdout}${run.stderr}`);
}

// Opens the program's page, with the page tests' stand-ins for the enrolment controls,
// which Chromium lacks (the mock's `external` object is replaced by the bridge's own
// before the page runs); `enrolment` is their configuration (tests/page/mock-external.js).
// `delivered()` lists the page function calls the program made, in order, as the bridge's
// script ran them. `enrolment.userAgent`, when given, is the browser's user-agent string.
export async function openPage(browser, bridge, enrolment = { enroll: "certenroll" }) {
  const session = await openContext(browser, enrolment.userAgent ? { userAgent: enrolment.userAgent } : {});
  const { page } = session;
  await page.addInitScript({ content: `(${mockSource})(${JSON.stringify(enrolment)});` });
  await page.goto(bridge.url, { waitUntil: "load" });
  const delivered = () => page.evaluate(() => window.__bridge.delivered.slice(0));
  // The program reports the OS text as soon as it hears that the page has loaded.
  await until("the page-load report", async () =>
    (await delivered()).some((c) => c.fn === "setState" && c.args[0] === 1 && c.args[1] === 1));
  return { ...session, delivered };
}
