// The certificate-download flow against a stand-in certificate service on 127.0.0.1 and
// mock enrolment controls: every message the flow can end with, the success paths of
// both forms and both controls, and the progress-window calls in their order.
import { describe, test, before, after, afterEach } from "node:test";
import assert from "node:assert/strict";
import { launchBrowser, startPageServer, startCertServer, openPage } from "./harness.mjs";

const WIN10 = "Mozilla/5.0 (Windows NT 10.0; Win64; x64; Trident/7.0; rv:11.0) like Gecko";
const WINXP = "Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 5.1; Trident/4.0)";
const KEY_PRESENT = [[804, 13, 0], [804, 2, "WD0001"], [804, 3, 0]];
const FIRST_OK = `<html><body><form>
  <input type="hidden" name = "subjectDn" value = "CN=张三,OU=Personal,O=Quaymark">
  <input type="hidden" name="customerId" value="C000123456">
  </form></body></html>`;
const SECOND_OK = `<html><body><input type="hidden" name="certSigned" value="MIIsignedCERT=="></body></html>`;
const PERSONAL = { userId: "1234567890", userName: "张三", certNo: "110101199001011234", password: "abcd1234", checkCode: "x7k2" };

let browser;
let server;
let cert;
before(async () => {
  browser = await launchBrowser();
  server = await startPageServer();
  cert = await startCertServer();
});
after(async () => {
  await browser.close();
  server.close();
  cert.close();
});

describe("certificate download", () => {
  let s;
  afterEach(async () => {
    if (s) {
      assert.deepEqual(s.errors, [], "the page raised script errors");
      await s.close();
      s = null;
    }
    cert.requests.length = 0;
    for (const key of Object.keys(cert.answers)) delete cert.answers[key];
  });

  const open = async (config = {}) => {
    s = await openPage(browser, server, { userAgent: WIN10, keyReport: KEY_PRESENT, ...config });
    await s.page.evaluate((base) => { certDownload.serverBase = base; }, cert.base);
    return s;
  };
  const fill = async (form, values) => {
    for (const [name, value] of Object.entries(values)) {
      await s.page.fill(`#${form} [name='${name}']`, value);
    }
  };
  const submitPersonal = async (values = PERSONAL) => {
    await s.sink("TipShow", 2);
    await fill("formPersonal", values);
    await s.clearCalls();
    await s.page.click("#formPersonal .submit");
  };
  const posts = () => cert.requests.filter((r) => r.method === "POST");
  const waitForFlowEnd = () => s.page.waitForFunction(() => !certDownload.busy, null, { timeout: 15000 });
  // The calls the flow made, without the key panel's own reads.
  const flowCalls = async () => (await s.calls()).filter((c) => c.name !== "getusertype");
  const buttonsEnabled = () => s.page.evaluate(() =>
    !document.querySelector("#formPersonal .submit").disabled && !document.querySelector("#formPersonal .cancel").disabled);

  test("an invalid form is not sent and calls nothing", async () => {
    await open();
    for (const [change, tip] of [[{ userId: "12345" }, "客户号应为10位数字"], [{ password: "abc12" }, "下载密码应为至少8位字母或数字"],
      [{ password: "abcd-1234" }, "下载密码应为至少8位字母或数字"], [{ checkCode: "x7k" }, "请输入4位验证码"],
      [{ userName: "" }, "请输入姓名"]]) {
      await submitPersonal({ ...PERSONAL, ...change });
      assert.equal(await s.text("#formPersonal .formtip"), tip);
      assert.deepEqual(await s.calls(), []);
    }
    assert.equal(posts().length, 0);
  });

  test("no usable key: a message, nothing sent, buttons enabled again", async () => {
    await open({ keyReport: [[804, 13, 1]] });
    await submitPersonal();
    assert.deepEqual(await flowCalls(), [
      { name: "checkUkeySimple", args: [] },
      { name: "messageBox", args: ["未发现您的UKey，请检查UKey是否插入以及UKey驱动是否安装！", "错误"] },
    ]);
    assert.equal(posts().length, 0);
    assert.equal(await buttonsEnabled(), true);
    // A key whose content file is incomplete is not usable either.
    await s.page.evaluate(() => { window.__mock.keyReport = [[804, 3, 1]]; });
    await s.clearCalls();
    await s.page.click("#formPersonal .submit");
    assert.equal((await flowCalls())[1].name, "messageBox");
    assert.equal(posts().length, 0);
  });

  test("personal download with CertEnroll: requests, control calls, progress window and success", async () => {
    cert.answers["doPerSubmitDown.do"] = FIRST_OK;
    cert.answers["pbStartRaRequest.do"] = SECOND_OK;
    await open({ enroll: "certenroll" });
    await s.sink("TipShow", 2);
    // The picture loads on its own time; wait for its request rather than race it.
    await s.page.waitForFunction(() => document.querySelector("#formPersonal img.captcha").complete);
    const captcha = cert.requests.find((r) => r.path === "VerifyImage");
    assert.match(captcha.query, /^\?update=0\.\d+/);
    await fill("formPersonal", PERSONAL);
    await s.page.selectOption("#formPersonal [name='certType']", "1");
    await s.clearCalls();
    await s.page.click("#formPersonal .submit");
    assert.equal(await s.page.evaluate(() => document.querySelector("#formPersonal .submit").disabled), true);
    await waitForFlowEnd();

    const [first, second] = posts();
    assert.equal(first.path, "doPerSubmitDown.do");
    assert.deepEqual(first.fields, { userId: "1234567890", userName: "张三", certType: "1", certNo: "110101199001011234",
      password: "abcd1234", flag: "1", USBKeyType: "watchData", USBKeySN: "9999999999", CSP: "Watchdata CSP v3.3",
      checkCode: "x7k2" });
    assert.equal(second.path, "pbStartRaRequest.do");
    assert.deepEqual(second.fields, { customerId: "C000123456", flag: "1", pkcs10Request: "MIIBmockPKCS10request==",
      subjectDn: "CN=张三,OU=Personal,O=Quaymark", userId: "1234567890" });

    assert.deepEqual(await flowCalls(), [
      { name: "checkUkeySimple", args: [] },
      { name: "downloadingBox", args: [1, "UKey检测", "正在检查UKey状态，请稍候..."] },
      { name: "downloadingBox", args: [0, "证书下载", ""] },
      { name: "downloadingBox", args: [2, "证书下载", "正在发送证书请求，请稍候..."] },
      { name: "downloadingBox", args: [0, "证书下载", ""] },
      { name: "downloadingBox", args: [1, "证书下载", "正在下载证书请求...\n请勿关闭助手或拔出UKey，以免证书下载失败！"] },
      { name: "downloadingBox", args: [0, "证书下载", ""] },
      { name: "messageBox", args: ["证书下载完成！", "恭喜"] },
    ]);

    const log = await s.enrollLog();
    const sets = Object.fromEntries(log.filter((e) => e.object === "CX509PrivateKey" && e.set).map((e) => [e.set, e.value]));
    assert.deepEqual(sets, { ProviderName: "Watchdata CSP v3.3", ProviderType: 1, KeySpec: 1, ExportPolicy: 1 });
    const calls = log.filter((e) => e.call).map((e) => [e.object, e.call, e.args.filter((a) => typeof a !== "object")]);
    assert.deepEqual(calls, [
      ["factory", "CreateObject", ["X509Enrollment.CX509PrivateKey"]],
      ["factory", "CreateObject", ["X509Enrollment.CX509CertificateRequestPkcs10"]],
      ["factory", "CreateObject", ["X509Enrollment.CX500DistinguishedName"]],
      ["factory", "CreateObject", ["X509Enrollment.CX509Enrollment"]],
      ["CX509CertificateRequestPkcs10", "InitializeFromPrivateKey", [1, ""]],
      ["CX500DistinguishedName", "Encode", ["CN=张三,OU=Personal,O=Quaymark", 0]],
      ["CX509Enrollment", "InitializeFromRequest", []],
      ["CX509Enrollment", "CreateRequest", [1]],
      ["factory", "CreateObject", ["X509Enrollment.CX509Enrollment"]],
      ["CX509Enrollment", "Initialize", [1]],
      ["CX509Enrollment", "InstallResponse", [4, "MIIsignedCERT==", 1, ""]],
    ]);
    assert.ok(log.some((e) => e.set === "CertificateDescription" && e.value === "Description"));
    assert.equal(await buttonsEnabled(), true);
  });

  // The request goes through the control in the page: Xenroll wherever it is registered.
  for (const [system, userAgent] of [["below Windows 6.0", WINXP], ["registered on Windows 10", WIN10]]) {
    test(`corporate download with Xenroll ${system}`, async () => {
      cert.answers["doCbSubmitDown.do"] = FIRST_OK;
      cert.answers["cbStartRaRequest.do"] = SECOND_OK;
      await open({ enroll: "xenroll", userAgent });
      await s.sink("TipShow", 3);
      await fill("formCorporate", { customerId: "9876543210", userId: "op01", userName: "李四", certNo: "A1234567",
        password: "Passw0rdX", checkCode: "ab12" });
      await s.clearCalls();
      await s.page.click("#formCorporate .submit");
      await waitForFlowEnd();
      const [first, second] = posts();
      assert.equal(first.path, "doCbSubmitDown.do");
      assert.equal(first.fields.customerId, "9876543210");
      assert.equal(first.fields.flag, "2");
      assert.equal(second.path, "cbStartRaRequest.do");
      assert.equal(second.fields.flag, "2");
      assert.equal(second.fields.customerId, "C000123456");
      const log = await s.enrollLog();
      const sets = Object.fromEntries(log.filter((e) => e.set).map((e) => [e.set, e.value]));
      assert.deepEqual(sets, { ProviderName: "Watchdata CSP v3.3", ProviderType: 1, KeySpec: 2, GenKeyFlags: 1, HashAlgorithm: "MD5" });
      assert.deepEqual(log.filter((e) => e.call).map((e) => [e.call, e.args]), [
        ["createPKCS10", ["CN=张三,OU=Personal,O=Quaymark", "1.3.6.1.5.5.7.3.2"]],
        ["acceptPKCS7", ["MIIsignedCERT=="]],
      ]);
      const messages = (await s.calls()).filter((c) => c.name === "messageBox");
      assert.deepEqual(messages, [{ name: "messageBox", args: ["证书下载完成！", "恭喜"] }]);
    });
  }

  // What the first answer can say, and how the flow ends for it.
  const firstAnswerCases = [
    ["no answer at all", undefined, "没有收到证书服务器响应，请检查您的网络或稍后再试！", false],
    ["an empty answer", "", "没有收到证书服务器响应，请检查您的网络或稍后再试！", false],
    ["an error code (even beside 验证码)", "<p>错误代码：E1032<br>错误说明：验证码已过期，请重新申请</p>",
      "对不起，交易执行时发生异常，以下是详细信息\n错误代码：E1032\n错误说明：验证码已过期，请重新申请", true],
    ["a captcha error", "<p>您输入的验证码不正确</p>", "验证码错误！请刷新后重试！", true],
    ["no subject name", `<input name="customerId" value="C1">`, "获取subjectDn失败！", true],
    ["no customer number", `<input name="subjectDn" value="CN=x">`, "获取cunstomerId失败！", true],
  ];
  for (const [label, answer, message, withdraws] of firstAnswerCases) {
    test(`first answer with ${label}: message${withdraws ? ", then the zone switch withdrawn" : ""}; nothing more sent`, async () => {
      if (answer !== undefined) cert.answers["doPerSubmitDown.do"] = answer;
      await open();
      await submitPersonal();
      await waitForFlowEnd();
      const calls = await flowCalls();
      const tail = calls.slice(calls.findIndex((c) => c.name === "downloadingBox" && c.args[0] === 2) + 1);
      const expected = [
        { name: "downloadingBox", args: [0, "证书下载", ""] },
        { name: "messageBox", args: [message, "错误"] },
      ];
      if (withdraws) expected.push({ name: "cheatRegistry", args: [false] });
      assert.deepEqual(tail, expected);
      assert.equal(posts().length, 1);
      assert.equal(await buttonsEnabled(), true);
    });
  }

  test("the flow waits two seconds after each answer before it goes on", async () => {
    cert.answers["doPerSubmitDown.do"] = "<p>验证码错误</p>";
    await open();
    const captchas = () => cert.requests.filter((r) => r.path === "VerifyImage").length;
    await submitPersonal();
    const before = captchas();
    const started = Date.now();
    await s.page.waitForFunction(() => window.__mock.calls.some((c) => c.name === "messageBox"), null, { timeout: 10000 });
    const waited = Date.now() - started;
    assert.ok(waited >= 1900, `went on after ${waited} ms`);
    await waitForFlowEnd();
    // After a captcha error the picture is fetched anew.
    await s.page.waitForFunction(() => document.querySelector("#formPersonal img.captcha").complete);
    assert.ok(captchas() > before);
  });

  test("the control cannot make the request: message, nothing more sent", async () => {
    cert.answers["doPerSubmitDown.do"] = FIRST_OK;
    await open({ enrollFail: "request" });
    await submitPersonal();
    await waitForFlowEnd();
    const calls = await flowCalls();
    assert.deepEqual(calls.slice(-2), [
      { name: "downloadingBox", args: [0, "证书下载", ""] },
      { name: "messageBox", args: ["加载控件失败！\n请确认您的UKey已插入电脑，并且安装了驱动程序！", "错误"] },
    ]);
    assert.equal(posts().length, 1);
    assert.equal(await buttonsEnabled(), true);
  });

  const secondAnswerCases = [
    ["the certificate already on the device", "<p>加密设备中已经存在该证书</p>", {}, "加密设备中已经存在该证书，\n或证书不是在这加密设备申请的！"],
    ["no signed certificate", "<p>ok</p>", {}, "获取certData失败！"],
    ["a signed certificate the control refuses", SECOND_OK, { enrollFail: "install" }, "证书下载失败！"],
  ];
  for (const [label, answer, config, message] of secondAnswerCases) {
    test(`second answer with ${label}`, async () => {
      cert.answers["doPerSubmitDown.do"] = FIRST_OK;
      cert.answers["pbStartRaRequest.do"] = answer;
      await open(config);
      await submitPersonal();
      await waitForFlowEnd();
      const calls = await flowCalls();
      assert.deepEqual(calls.slice(-2), [
        { name: "downloadingBox", args: [0, "证书下载", ""] },
        { name: "messageBox", args: [message, "错误"] },
      ]);
      assert.equal(calls.filter((c) => c.name === "cheatRegistry").length, 0);
      assert.equal(await buttonsEnabled(), true);
    });
  }

  test("the same flow in an engine without the newer APIs", async () => {
    cert.answers["doPerSubmitDown.do"] = FIRST_OK;
    cert.answers["pbStartRaRequest.do"] = SECOND_OK;
    await open({ legacy: true });
    await submitPersonal();
    await waitForFlowEnd();
    const messages = (await s.calls()).filter((c) => c.name === "messageBox");
    assert.deepEqual(messages, [{ name: "messageBox", args: ["证书下载完成！", "恭喜"] }]);
    assert.equal(posts().length, 2);
  });
});
