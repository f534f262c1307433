// The real page against the real program: TessalyBridge.exe under 64-bit Wine on a virtual
// display, in the fresh prefix run-bridge-tests.sh made (the administrator's document on
// the local test server, a hosts redirection and a wrong registry value planted), its page
// in Debian's Chromium. The tests run in order and share the program's state, as one
// user's session would: first start, diagnosis, "一键设置", options, tray, bad calls, a
// second start that brings a "/hide" window back, and exit during an install.
import { test, describe, before, after } from "node:test";
import assert from "node:assert/strict";
import { connect } from "node:net";
import { existsSync, readFileSync, readdirSync } from "node:fs";
import { networkInterfaces } from "node:os";
import { join, dirname } from "node:path";
import { fileURLToPath } from "node:url";
import { spawnSync } from "node:child_process";
import { setTimeout as sleep } from "node:timers/promises";
import { launchBrowser } from "../page/harness.mjs";
import {
  startBridge, stopBridge, openPage, signal, windowState, regQuery, regSet, until,
  downloadFolder, settingsKey, hostsFile, tasksFolder,
} from "./bridge.mjs";

const here = dirname(fileURLToPath(import.meta.url));
const plantedKey = "HKCU\\Software\\Quaymark Console Test";
const administratorKey = "HKCU\\Software\\Brimvane\\TessalyBridge\\Quaymark";
const TRAY_WIZARD = "32777";
const TRAY_RECHECK = "32778";
const TRAY_LINKS = "32779";

// A transcript line as the console's expected files write it, with the texts that depend
// on the machine and the clock replaced.
function transcriptLine({ fn, args }) {
  const shown = [...args];
  if (fn === "setState" && shown[0] === 1 && shown[1] === 1) shown[2] = "<os>";
  if (fn === "setState" && shown[0] === 1 && shown[1] === 8) shown[2] = "<browser>";
  if (fn === "setState" && shown[0] === 0 && shown[1] === 4) shown[2] = "<time>";
  return JSON.stringify({ fn, args: shown });
}
// The calls from the first one `from` matches to the first one after it that `to`
// matches, both included.
function slice(calls, from, to) {
  const start = calls.findIndex(from);
  assert.ok(start >= 0, "the transcript's start is missing");
  const end = calls.findIndex((c, i) => i > start && to(c));
  assert.ok(end >= 0, "the transcript's end is missing");
  return calls.slice(start, end + 1);
}
const isState = (category, item, value) => (c) =>
  c.fn === "setState" && c.args[0] === category && c.args[1] === item && (value === undefined || c.args[2] === value);
const expected = (file) => readFileSync(join(here, "../console", file), "utf8").trim().split("\n");

// One request written as it stands; resolves with whatever came back before the close.
function rawRequest(port, text, host = "127.0.0.1") {
  return new Promise((resolve) => {
    let received = "";
    const socket = connect({ port, host }, () => socket.write(text));
    socket.setEncoding("latin1");
    socket.on("data", (d) => { received += d; });
    socket.on("error", (error) => resolve(`error ${error.code}`));
    socket.on("close", () => resolve(received));
    socket.setTimeout(15000, () => { socket.destroy(); resolve("timeout"); });
  });
}

describe("the real page against the real program", () => {
  let browser;
  let bridge;
  let s;
  before(async () => { browser = await launchBrowser(); });
  after(async () => {
    if (s) await s.close();
    if (bridge) await stopBridge(bridge).catch(() => {});
    await browser.close();
  });
  const reopen = async () => {
    if (s) await s.close();
    s = await openPage(browser, bridge);
  };
  const mark = async () => (await s.delivered()).length;
  const since = async (start) => (await s.delivered()).slice(start);

  // Waits until what began at delivery `start` has run to its end: a diagnosis or repair
  // has started since, or one was still running then (a page load also hands over to a
  // diagnosis, which makes the program ignore a check asked for meanwhile), and the page's
  // last status is "检测完毕".
  const untilSettled = (start) => until("the end of the diagnosis", async () => {
    const statuses = (await s.delivered()).map((c, i) => [i, c]).filter(([, c]) => isState(0, 2)(c));
    const isStart = (code) => code === 1000 || (code > 2000 && code < 2999);
    const before = statuses.filter(([i]) => i < start).map(([, c]) => c.args[2]);
    const after = statuses.filter(([i]) => i >= start).map(([, c]) => c.args[2]);
    const running = before.length > 0 && before[before.length - 1] !== 1999;
    const last = after.length > 0 ? after[after.length - 1] : before[before.length - 1];
    return (running || after.some(isStart)) && last === 1999;
  }, 120000);

  test("first start: the first-run layer, isFirst cleared, the key-kind choice stored, the diagnosis it starts", async () => {
    assert.equal(regQuery(settingsKey, "isFirst"), null, "the prefix is fresh");
    bridge = await startBridge();
    await reopen();
    assert.equal(await s.visible("#layerFirst"), true);
    await until("isFirst 0 in the registry", () => regQuery(settingsKey, "isFirst") === 0);
    // The page's own property read, without parentheses, through the program's getter; the
    // first run's defaults say "no USB key".
    assert.equal(await s.page.evaluate(() => external.getFirst == 0 && external.getusertype() === 2), true);
    await s.screenshot("1-first-start");
    await s.page.click("#firstYes");
    await s.page.check("input[name='keykind'][value='3']");
    await s.page.click("#kindOk");
    assert.equal(regQuery(settingsKey, "UserType"), 3);
    await untilSettled(0);
    assert.equal(await s.text("#con_one_1 .js-progress"), "100%");
    assert.equal(await s.text("#con_one_3 .js-keykind"), "握奇一代");
    await s.screenshot("2-first-diagnosis");
    assert.deepEqual(s.errors, []);
  });

  test("a whole diagnosis on the page, then 一键设置 repairs the planted hosts redirection and registry value", async () => {
    assert.match(readFileSync(hostsFile, "latin1"), /ebank\.quaymark\.example/);
    assert.equal(regQuery(plantedKey, "Level"), 1);
    // "更改" → no USB key: the user type the console's transcript was taken with; the first
    // run's Checking makes the answer start the diagnosis.
    let start = await mark();
    await s.page.click("#one3");
    await s.page.click("#con_one_3 .link-change");
    await s.page.click("#firstNo");
    await untilSettled(start);
    assert.equal(regQuery(settingsKey, "UserType"), 2);
    // The whole diagnosis, call for call, as the console front end shows it for the same
    // document in the same kind of prefix.
    const shown = slice(await since(start), isState(0, 4), isState(0, 3)).map(transcriptLine);
    const console = expected("expected-diagnosis.jsonl");
    const consoleSlice = console.slice(console.findIndex((l) => l.includes('"args":[0,4,')),
      console.findIndex((l) => l.includes('"args":[0,3,')) + 1);
    assert.deepEqual(shown, consoleSlice);
    await s.page.click("#one2");
    assert.equal(await s.text("#det1_2"), "不正常");
    assert.equal(await s.text("#det1_3"), "不正常");
    await s.screenshot("3-diagnosis-faults");

    start = await mark();
    await s.page.click("#con_one_2 .btn-onekey");
    await untilSettled(start);
    assert.equal(await s.text("#det1_2"), "正常");
    assert.equal(await s.text("#det1_3"), "正常");
    assert.doesNotMatch(readFileSync(hostsFile, "latin1"), /ebank\.quaymark\.example/);
    assert.equal(regQuery(plantedKey, "Level"), 3);
    const repairs = (await since(start)).filter(isState(0, 2)).map((c) => c.args[2]).filter((c) => c > 2000 && c < 2999);
    assert.deepEqual(repairs, [2003, 2004, 2002, 2011], "the failing checks, in the fixed order");
    await s.screenshot("4-repaired");
    assert.deepEqual(s.errors, []);
  });

  test("the options layer saves to the real registry and Task Scheduler and reads it back", async () => {
    const save = async ({ userType, update, start, close }) => {
      await s.page.click("#btnMenu");
      await s.page.click("#menuOptions");
      assert.equal(await s.visible("#layerOptions"), true);
      await s.page.click("#two2");
      await s.page.check(`input[name='optUserType'][value='${userType}']`);
      await s.page.click("#two3");
      await s.page.selectOption("#optUpdate", String(update));
      await s.page.click("#two4");
      await s.page.check(`input[name='optStart'][value='${start}']`);
      await s.page.check(`input[name='optClose'][value='${close}']`);
      await s.page.click("#con_two_4 .btn-save");
      assert.equal(await s.visible("#layerOptions"), false);
    };
    const task = join(tasksFolder, "TessalyBridge");
    let start = await mark();
    await save({ userType: 3, update: 1, start: 1, close: 1 });
    assert.equal(regQuery(settingsKey, "UserType"), 3);
    assert.equal(regQuery(settingsKey, "UpdateType"), 1);
    assert.equal(regQuery(settingsKey, "CloseType"), 1);
    assert.ok(existsSync(task), "a logon task named after the program is registered");
    // Wine's task writer leaves the program's action out of the file; the task is there.
    assert.match(readFileSync(task, "utf8"), /<Task version=/);
    assert.equal(await s.page.evaluate(() => external.getwithwindows()), 1);
    // The user type answered after a first run starts a diagnosis; let it end.
    await untilSettled(start);

    await reopen();
    await s.page.click("#btnMenu");
    await s.page.click("#menuOptions");
    assert.equal(await s.page.isChecked("input[name='optUserType'][value='3']"), true);
    assert.equal(await s.page.inputValue("#optUpdate"), "1");
    assert.equal(await s.page.isChecked("input[name='optStart'][value='1']"), true);
    assert.equal(await s.page.isChecked("input[name='optClose'][value='1']"), true);
    await s.page.click("#two4");
    await s.screenshot("5-options-read-back");
    await s.page.click("#layerOptions .layerclose");

    start = await mark();
    await save({ userType: 4, update: 2, start: 0, close: 0 });
    assert.equal(regQuery(settingsKey, "UserType"), 4);
    assert.equal(regQuery(settingsKey, "UpdateType"), 2);
    assert.equal(regQuery(settingsKey, "CloseType"), 0);
    assert.equal(existsSync(task), false, "the logon task is deleted");
    assert.equal(await s.page.evaluate(() => external.getwithwindows()), 0);
    await untilSettled(start);
    assert.deepEqual(s.errors, []);
  });

  test("the tray's commands reach the real window and through it the page", async () => {
    await s.page.click("#one3");
    let start = await mark();
    assert.equal(signal("command", TRAY_RECHECK).status, 0);
    await until("重新检测's tab and check", async () => {
      const calls = await since(start);
      return calls.some((c) => c.fn === "setTab" && c.args.join() === "one,1,5") && calls.some(isState(0, 2, 1000));
    });
    assert.equal(await s.visible("#con_one_1"), true);
    await untilSettled(start);
    assert.deepEqual({ ...windowState(), appwindow: undefined }, { visible: 1, toolwindow: 0, appwindow: undefined });

    start = await mark();
    assert.equal(signal("command", TRAY_LINKS).status, 0);
    await until("快捷链接's tab", async () => (await since(start)).some((c) => c.fn === "setTab" && c.args.join() === "one,5,5"));
    assert.equal(await s.visible("#con_one_5"), true);
    assert.equal(await s.text("#con_one_5 .js-online"), "已联网");
    await s.screenshot("6-tray-quick-links");

    start = await mark();
    assert.equal(signal("command", TRAY_WIZARD).status, 0);
    await until("启动向导's layer", async () => (await since(start)).some((c) => c.fn === "ShowDivc"));
    assert.equal(await s.visible("#layerFirst"), true);
    await s.screenshot("7-tray-wizard");
    start = await mark();
    await s.page.click("#firstYes");
    await s.page.check("input[name='keykind'][value='3']");
    await s.page.click("#kindOk");
    assert.equal(regQuery(settingsKey, "UserType"), 3);
    await untilSettled(start);

    // Without a user type the command only restores the window and asks for one.
    regSet(settingsKey, "UserType", "REG_DWORD", 0);
    start = await mark();
    assert.equal(signal("command", TRAY_RECHECK).status, 0);
    await until("the user-type question", async () => (await since(start)).some((c) => c.fn === "ShowDivc"));
    await sleep(1500);
    const after = await since(start);
    assert.deepEqual(after.filter((c) => c.fn === "setTab" || isState(0, 2)(c)), [], "no tab change and no check");
    assert.equal(await s.visible("#layerFirst"), true);
    await s.screenshot("8-tray-recheck-without-user-type");
    assert.deepEqual(s.errors, []);
  });

  test("bad calls are script errors, bad requests get no answer, and the program goes on", async () => {
    const outcomes = await s.page.evaluate(() => {
      const attempt = (f) => { try { return ["ok", f()]; } catch (e) { return ["error", e.message]; } };
      return {
        unknown: attempt(() => external.noSuchMethod(1)),
        tooFew: attempt(() => external.fix()),
        tooFewBox: attempt(() => external.messageBox("text only")),
        tooMany: attempt(() => external.stop(1, 2)),
        notInteger: attempt(() => external.setupdatetype("weekly")),
        object: attempt(() => external.setupdatetype({})),
        fraction: attempt(() => external.install(1.5)),
        methodRead: typeof external.check,
        selectBox: attempt(() => external.setupdatetype("1")),
        readBack: attempt(() => external.getupdatetype()),
      };
    });
    assert.match(outcomes.unknown[1], /DISP_E_UNKNOWNNAME/);
    assert.match(outcomes.tooFew[1], /DISP_E_BADPARAMCOUNT/);
    assert.match(outcomes.tooFewBox[1], /DISP_E_BADPARAMCOUNT/);
    assert.match(outcomes.tooMany[1], /DISP_E_BADPARAMCOUNT/);
    assert.match(outcomes.notInteger[1], /DISP_E_TYPEMISMATCH/);
    assert.match(outcomes.object[1], /DISP_E_TYPEMISMATCH/);
    assert.equal(outcomes.methodRead, "function");
    assert.deepEqual(outcomes.selectBox, ["ok", undefined]);
    assert.deepEqual(outcomes.readBack, ["ok", 1]);
    assert.equal(regQuery(settingsKey, "UpdateType"), 1);
    // 1.5 converts to an integer the way the dispatch conversion rounds it: the call runs.
    assert.equal(outcomes.fraction[0], "ok");

    const { port, token } = bridge;
    const get = (path, host = `127.0.0.1:${port}`) => `GET ${path} HTTP/1.1\r\nHost: ${host}\r\n\r\n`;
    assert.match(await rawRequest(port, get(`/${token}/css/css.css`)), /^HTTP\/1\.1 200 OK\r\n/);
    assert.match(await rawRequest(port, get(`/${token}/images/nothing.png`)), /^HTTP\/1\.1 404 /);
    const form = "m=%ZZ";
    assert.match(await rawRequest(port, `POST /${token}/call HTTP/1.1\r\nHost: 127.0.0.1:${port}\r\n` +
      `Content-Length: ${form.length}\r\n\r\n${form}`), /^HTTP\/1\.1 400 /);
    const silent = {
      "no token": get("/css/css.css"),
      "another token": get(`/${"0".repeat(token.length)}/`),
      "another host": get(`/${token}/`, `evil.example:${port}`),
      "headers too long": `GET /${token}/ HTTP/1.1\r\nHost: 127.0.0.1:${port}\r\nX: ${"x".repeat(20000)}\r\n\r\n`,
      "body too long": `POST /${token}/call HTTP/1.1\r\nHost: 127.0.0.1:${port}\r\nContent-Length: 100000\r\n\r\n`,
      "malformed": "GARBAGE\r\n\r\n",
      "exchange by GET": get(`/${token}/call`),
    };
    for (const [label, request] of Object.entries(silent)) {
      const answer = await rawRequest(port, request);
      assert.ok(answer === "" || answer.startsWith("error "), `${label}: answered ${JSON.stringify(answer.slice(0, 40))}`);
    }
    // Nothing listens on the machine's other addresses.
    const outside = Object.values(networkInterfaces()).flat().find((a) => a && a.family === "IPv4" && !a.internal);
    if (outside) {
      assert.match(await rawRequest(port, get(`/${token}/`), outside.address), /^error /);
    }
    assert.equal(await s.page.evaluate(() => external.getFirst == 0), true, "the program still answers");
    assert.deepEqual(s.errors, []);
  });

  test("a second start brings a window started with /hide back", async () => {
    assert.equal(await stopBridge(bridge), 0);
    bridge = null;
    bridge = await startBridge(["/hide"]);
    await reopen();
    assert.deepEqual(windowState(), { visible: 0, toolwindow: 1, appwindow: 0 });
    const start = await mark();
    const second = spawnSync(process.env.WINE || "/usr/lib/wine/wine", [process.env.TESSALY_BRIDGE],
      { encoding: "utf8", timeout: 60000 });
    assert.equal(second.status, 0);
    assert.equal(second.stdout.trim(), "", "the second start serves nothing");
    await until("the window shown", () => windowState().visible === 1);
    assert.deepEqual(windowState(), { visible: 1, toolwindow: 0, appwindow: 1 });
    // UserType is still 0: the restored window asks for it.
    await until("the user-type question", async () => (await since(start)).some((c) => c.fn === "ShowDivc"));
    assert.equal(await s.visible("#layerFirst"), true);
    await s.screenshot("9-second-start-restored");
    assert.deepEqual(s.errors, []);
  });

  // The tray's "退出" while the page's "安装" runs: first while the installer downloads
  // (slowly, from the test server), then while the installer it started runs (the test
  // installer, which lingers 20 s). Closing waits for no worker longer than 3 s; on a
  // display without a window manager Wine adds about 4 s to every close (it waits 2 s for
  // each hidden window to be withdrawn), hence the bound of 10 s.
  test("exit during an install: the download dropped, the started installer left to finish, a new start works", async (t) => {
    const downloads = downloadFolder();
    const record = join(downloads, "test-installer-command.txt");
    const staged = () => (existsSync(downloads) ? readdirSync(downloads) : []).filter((f) => f.endsWith(".download"));
    const installFrom = async (document) => {
      if (bridge) await stopBridge(bridge);
      bridge = null;
      regSet(administratorKey, "ConfigUrl", "REG_SZ", `${process.env.TESSALY_TEST_SERVER}/life/${document}`);
      regSet(settingsKey, "UserType", "REG_DWORD", 2);
      bridge = await startBridge();
      await until("the window shown", () => windowState().visible === 1);
      await reopen();
      await untilSettled(0);
      await s.page.click("#one3");
      await s.page.click("#act2_2 a");
    };
    const closeInTime = async (what) => {
      const closed = bridge;
      bridge = null;
      await stopBridge(closed);
      t.diagnostic(`${what}: the process ended ${closed.closeTookMs} ms after the close`);
      assert.ok(closed.closeTookMs <= 10000, `${what}: the process ended ${closed.closeTookMs} ms after the close`);
    };

    await installFrom("slow-download.xml");
    await until("the installer's download under way", () => staged().length > 0);
    await closeInTime("download");
    assert.deepEqual(staged(), [], "no partial download is left");
    assert.equal(existsSync(join(downloads, "25000000")), false, "nothing downloaded is placed");

    // The new start works: its window appears and it serves its page.
    await installFrom("lingering.xml");
    await until("the installer started", () => existsSync(record));
    await closeInTime("installer");
    assert.doesNotMatch(readFileSync(record, "utf8"), /finished/, "the program ended while the installer ran");
    await until("the installer's own end", () => /\/linger\r?\nfinished\n$/.test(readFileSync(record, "utf8")), 30000);

    bridge = await startBridge();
    await until("the window shown", () => windowState().visible === 1);
    assert.deepEqual(staged(), []);
    assert.deepEqual(s.errors, []);
  });
});
