// The page's certificate download against the real program: TessalyBridge.exe under Wine,
// beside Fennick.dll and the stand-in of Feitian's library with one key on it, so that the
// real key probe reports a usable key; a stand-in certificate service on 127.0.0.1 and the
// page tests' stand-ins of the enrolment controls. The progress window is the program's real
// one, found on the display by its caption and pictured; every message is the real message
// box, read and closed with TessalyTestWindowReader.exe. Set up in the prefix
// run-bridge-tests.sh made; the reader, the stand-in and Fennick.dll are taken from the
// build beside the window helper (TESSALY_BRIDGE_SIGNAL, in the build's tests folder).
import { test, describe, before, after } from "node:test";
import assert from "node:assert/strict";
import { spawn, spawnSync } from "node:child_process";
import { copyFileSync, mkdirSync, mkdtempSync, writeFileSync } from "node:fs";
import { basename, dirname, join } from "node:path";
import { fileURLToPath } from "node:url";
import { setTimeout as sleep } from "node:timers/promises";
import { launchBrowser, startCertServer } from "../page/harness.mjs";

const here = dirname(fileURLToPath(import.meta.url));
const wine = process.env.WINE || "/usr/lib/wine/wine";
if (!process.env.TESSALY_BRIDGE || !process.env.TESSALY_BRIDGE_SIGNAL || !process.env.WINEPREFIX) {
  throw new Error("run me through tests/bridge/run-bridge-tests.sh");
}
const builtTests = dirname(process.env.TESSALY_BRIDGE_SIGNAL);
const reader = join(builtTests, "components/TessalyTestWindowReader.exe");
const windowsPath = (path) => "Z:" + path.replaceAll("/", "\\");

// The program as installed for a Feitian key user: the bridge with the adapter beside it
// and a key with two certificates on the stand-in.
const work = mkdtempSync(join(process.env.WINEPREFIX, "cert-download-"));
const folder = join(work, "program");
mkdirSync(folder);
for (const file of [process.env.TESSALY_BRIDGE, join(builtTests, "../adapters/fennick/Fennick.dll"),
  join(builtTests, "QUAYMARKAUDIOPASS3000.dll")]) {
  copyFileSync(file, join(folder, basename(file)));
}
process.env.TESSALY_BRIDGE = join(folder, basename(process.env.TESSALY_BRIDGE));
const tokens = join(work, "tokens.txt");
process.env.TESSALY_STANDIN_TOKENS = windowsPath(tokens);
const { startBridge, stopBridge, openPage, regSet, until, settingsKey } = await import("./bridge.mjs");

const FIRST_OK = `<html><body><form>
  <input type="hidden" name = "subjectDn" value = "CN=张三,OU=Personal,O=Quaymark">
  <input type="hidden" name="customerId" value="C000123456">
  </form></body></html>`;
const SECOND_OK = `<html><body><input type="hidden" name="certSigned" value="MIIsignedCERT=="></body></html>`;
const PERSONAL = { userId: "1234567890", userName: "张三", certNo: "110101199001011234", password: "abcd1234", checkCode: "x7k2" };
const CORPORATE = { customerId: "9876543210", userId: "op01", userName: "李四", certNo: "A1234567", password: "Passw0rdX", checkCode: "ab12" };
const IDOK = "1";

// Waits for a window of that caption and prints its texts; with a button, presses it; with
// a picture path, saves what the screen shows of it there (BMP).
function readWindow(caption, button, picture) {
  return new Promise((resolve) => {
    const args = [reader, caption, ...(button || picture ? [button || "0"] : []), ...(picture ? [windowsPath(picture)] : [])];
    const child = spawn(wine, args, { stdio: ["ignore", "pipe", "ignore"] });
    let out = "";
    child.stdout.on("data", (d) => { out += d; });
    child.on("exit", (status) => resolve({ found: status === 0, texts: out.replaceAll("\r\n", "\n") }));
  });
}

let browser;
let cert;
let bridge;
let s;
before(async () => {
  const certificates = join(work, "certificates");
  spawnSync("bash", [join(here, "../fennick/make-test-certificates.sh"), certificates], { stdio: "ignore" });
  writeFileSync(tokens, `token FT00000000000001 0 6\ncertificate ${windowsPath(join(certificates, "zhaolei.der"))}\n` +
    `certificate ${windowsPath(join(certificates, "hanmeimei.der"))}\n`);
  regSet("HKCU\\Software\\Brimvane\\TessalyBridge\\Quaymark", "ConfigUrl", "REG_SZ",
    `${process.env.TESSALY_TEST_SERVER}/console/feitian.xml`);
  regSet(settingsKey, "UserType", "REG_DWORD", 5);
  regSet(settingsKey, "isFirst", "REG_DWORD", 0);
  // Chinese in the program's own windows, as on a Chinese Windows, and their frames drawn
  // by Wine, as the display has no window manager.
  regSet("HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes", "MS Shell Dlg",
    "REG_SZ", "Noto Sans CJK SC");
  regSet("HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink", "Tahoma",
    "REG_MULTI_SZ", "NotoSansCJK-Regular.ttc,Noto Sans CJK SC");
  regSet("HKCU\\Software\\Wine\\X11 Driver", "Managed", "REG_SZ", "N");
  browser = await launchBrowser();
  cert = await startCertServer();
  bridge = await startBridge();
});
after(async () => {
  if (s) await s.close();
  if (bridge) await stopBridge(bridge);
  await browser?.close();
  cert?.close();
  regSet("HKCU\\Software\\Brimvane\\TessalyBridge\\Quaymark", "ConfigUrl", "REG_SZ",
    `${process.env.TESSALY_TEST_SERVER}/console/item.xml`);
});

async function open(enrolment) {
  if (s) await s.close();
  s = await openPage(browser, bridge, enrolment);
  // A diagnosis the page load starts probes the key too; the flows begin once it is done.
  await sleep(2000);
  const progress = (done) => s.page.evaluate((full) => window.__bridge.delivered.some((c) =>
    c.fn === "setState" && c.args[0] === 0 && c.args[1] === 0 && (!full || c.args[2] === 100)), done);
  if (await progress(false)) await until("the diagnosis to end", () => progress(true), 120000);
  await s.page.evaluate((base) => { certDownload.serverBase = base; }, cert.base);
}
// The page waits two seconds after each answer; the flows that end in a message do not
// need to (the success path keeps the wait).
const hurry = () => s.page.evaluate(() => { certDownload.answerDelay = 100; });

// Submits a form and answers the box the flow ends with; what the box said comes back.
async function download({ form = "formPersonal", values = PERSONAL, layer = 2, caption = "错误" }) {
  cert.requests.length = 0;
  await s.page.evaluate((which) => TipShow(which), layer);
  for (const [name, value] of Object.entries(values)) {
    await s.page.fill(`#${form} [name='${name}']`, value);
  }
  const box = readWindow(caption, IDOK);
  await s.page.click(`#${form} .submit`, { noWaitAfter: true });
  const shown = await box;
  await s.page.waitForFunction(() => !certDownload.busy, null, { timeout: 30000 });
  return shown;
}
const posts = () => cert.requests.filter((r) => r.method === "POST").map((r) => r.path);

describe("certificate download through the real program", () => {
  test("the page loads with the enrolment control and no message", async () => {
    await open({ enroll: "certenroll" });
    assert.deepEqual(s.errors, []);
  });

  test("the key panel shows both certificates of the key, each with its dates", async () => {
    const text = (id) => s.page.evaluate((selector) => document.querySelector(selector).textContent, `#key804_${id}`);
    assert.equal(await text(2), "FT00000000000001");
    assert.equal(await text(6), "2张");
    const validity = [`${await text(8)} ${await text(9)}`, `${await text(11)} ${await text(12)}`].sort();
    // Han Meimei 2015-06-01 to 2017-06-01, Zhao Lei 2020-01-01 to 2099-12-31.
    assert.match(validity[0], /^2015-\d+-\d+ 2017-\d+-\d+$/);
    assert.match(validity[1], /^20(19|20)-\d+-\d+ 2099-12-\d+$/);
  });

  test("Xenroll registered on Windows 10: the request goes through Xenroll and ends in 恭喜", async () => {
    await open({ enroll: "xenroll", userAgent: "Mozilla/5.0 (Windows NT 10.0; Win64; x64; Trident/7.0; rv:11.0) like Gecko" });
    await hurry();
    cert.answers["doPerSubmitDown.do"] = FIRST_OK;
    cert.answers["pbStartRaRequest.do"] = SECOND_OK;
    const box = await download({ caption: "恭喜" });
    assert.equal(box.found, true);
    assert.match(box.texts, /证书下载完成！/);
    assert.deepEqual(posts(), ["doPerSubmitDown.do", "pbStartRaRequest.do"]);
    assert.deepEqual(await s.page.evaluate(() => window.__mock.enroll.filter((e) => e.call).map((e) => e.call)),
      ["createPKCS10", "acceptPKCS7"]);
    await open({ enroll: "certenroll" });
  });

  test("personal download: the real progress window, one window retitled, then 恭喜", async () => {
    cert.answers["doPerSubmitDown.do"] = FIRST_OK;
    cert.answers["pbStartRaRequest.do"] = SECOND_OK;
    const picture = join(work, "progress.bmp");
    const progress = readWindow("证书下载", "0", picture);
    const done = download({ caption: "恭喜" });
    const seen = await progress;
    assert.equal(seen.found, true, "no progress window captioned 证书下载");
    assert.match(seen.texts, /正在发送证书请求，请稍候\.\.\.|正在下载证书请求/);
    if (process.env.TESSALY_SCREENSHOTS) {
      mkdirSync(process.env.TESSALY_SCREENSHOTS, { recursive: true });
      spawnSync("convert", [picture, join(process.env.TESSALY_SCREENSHOTS, "cert-download-progress.png")]);
    }
    const box = await done;
    assert.equal(box.found, true);
    assert.match(box.texts, /证书下载完成！/);
    assert.deepEqual(posts(), ["doPerSubmitDown.do", "pbStartRaRequest.do"]);
  });

  test("corporate download ends in 恭喜 too", async () => {
    await hurry();
    cert.answers["doCbSubmitDown.do"] = FIRST_OK;
    cert.answers["cbStartRaRequest.do"] = SECOND_OK;
    const box = await download({ form: "formCorporate", values: CORPORATE, layer: 3, caption: "恭喜" });
    assert.match(box.texts, /证书下载完成！/);
    assert.deepEqual(posts(), ["doCbSubmitDown.do", "cbStartRaRequest.do"]);
  });

  const firstAnswers = [
    ["an empty answer", "", "没有收到证书服务器响应，请检查您的网络或稍后再试！"],
    ["an error code", "<p>错误代码：E1032<br>错误说明：验证码已过期，请重新申请</p>",
      "对不起，交易执行时发生异常，以下是详细信息\n错误代码：E1032\n错误说明：验证码已过期，请重新申请"],
    ["a captcha error", "<p>您输入的验证码不正确</p>", "验证码错误！请刷新后重试！"],
    ["no subject name", `<input name="customerId" value="C1">`, "获取subjectDn失败！"],
    ["no customer number", `<input name="subjectDn" value="CN=x">`, "获取cunstomerId失败！"],
  ];
  for (const [label, answer, message] of firstAnswers) {
    test(`first answer with ${label}: the real box says so`, async () => {
      cert.answers["doPerSubmitDown.do"] = answer;
      const box = await download({});
      assert.equal(box.found, true);
      assert.ok(box.texts.includes(message), `the box said ${box.texts}`);
      assert.deepEqual(posts(), ["doPerSubmitDown.do"]);
    });
  }

  const secondAnswers = [
    ["the certificate already on the device", "<p>加密设备中已经存在该证书</p>", "加密设备中已经存在该证书，\n或证书不是在这加密设备申请的！"],
    ["no signed certificate", "<p>ok</p>", "获取certData失败！"],
  ];
  for (const [label, answer, message] of secondAnswers) {
    test(`second answer with ${label}: the real box says so`, async () => {
      cert.answers["doPerSubmitDown.do"] = FIRST_OK;
      cert.answers["pbStartRaRequest.do"] = answer;
      const box = await download({});
      assert.ok(box.texts.includes(message), `the box said ${box.texts}`);
      assert.deepEqual(posts(), ["doPerSubmitDown.do", "pbStartRaRequest.do"]);
    });
  }

  for (const [label, fail, message] of [
    ["cannot make the request", "request", "加载控件失败！\n请确认您的UKey已插入电脑，并且安装了驱动程序！"],
    ["refuses the signed certificate", "install", "证书下载失败！"],
  ]) {
    test(`a control that ${label}: the real box says so`, async () => {
      await open({ enroll: "certenroll", enrollFail: fail });
      await hurry();
      cert.answers["doPerSubmitDown.do"] = FIRST_OK;
      cert.answers["pbStartRaRequest.do"] = SECOND_OK;
      const box = await download({});
      assert.ok(box.texts.includes(message), `the box said ${box.texts}`);
    });
  }

  test("without a key the flow stops at the probe, nothing sent", async () => {
    writeFileSync(tokens, "");
    const box = await download({});
    assert.ok(box.texts.includes("未发现您的UKey，请检查UKey是否插入以及UKey驱动是否安装！"), `the box said ${box.texts}`);
    assert.deepEqual(posts(), []);
  });
});
