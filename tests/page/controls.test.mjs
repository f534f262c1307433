// Which of the program's methods each control of the page calls, with which arguments and
// in which order; the first start; the layers. Also saves the screenshots of every tab and
// layer when TESSALY_SCREENSHOTS names a folder.
import { describe, test, before, after, afterEach } from "node:test";
import assert from "node:assert/strict";
import { readFileSync } from "node:fs";
import { join } from "node:path";
import { launchBrowser, startPageServer, openPage, ENGINES, shotDir } from "./harness.mjs";

let browser;
let server;
before(async () => {
  browser = await launchBrowser();
  server = await startPageServer();
});
after(async () => {
  await browser.close();
  server.close();
});

for (const engine of ENGINES) {
  describe(`controls (${engine.name} engine)`, () => {
    let s;
    const open = async (config = {}) => {
      s = await openPage(browser, server, { legacy: engine.legacy, ...config });
      return s;
    };
    afterEach(async () => {
      if (s) {
        assert.deepEqual(s.errors, [], "the page raised script errors");
        await s.close();
        s = null;
      }
    });

    test("page load reads getFirst, then the user type; no first-run layer when it reads 0", async () => {
      await open({ settings: { first: 0, usertype: 3 } });
      assert.deepEqual(await s.calls(), [{ name: "getFirst", args: [] }, { name: "getusertype", args: [] }]);
      assert.equal(await s.visible("#layerFirst"), false);
      assert.equal(await s.visible("#con_one_1 td.driverRow"), true);
      assert.equal(await s.text("#con_one_3 .js-keykind"), "握奇一代");
    });

    test("first start: Checking, the first-run layer, then setFirst(0)", async () => {
      await open({ settings: { first: 1, usertype: 0 } });
      assert.deepEqual(await s.calls(), [
        { name: "getFirst", args: [] },
        { name: "Checking", args: [] },
        { name: "setFirst", args: [0] },
        { name: "getusertype", args: [] },
      ]);
      assert.equal(await s.visible("#layerFirst"), true);
      assert.equal(await s.visible("#cover"), true);
      assert.equal((await s.settings()).first, 0);
      await s.screenshot(`layer-first-run-${engine.name}`);
    });

    test("first-run question: no key sets user type 2 and hides the driver rows", async () => {
      await open({ settings: { first: 1, usertype: 0 } });
      await s.clearCalls();
      await s.page.click("#firstNo");
      assert.deepEqual(await s.calls(), [{ name: "setusertype", args: [2] }, { name: "getusertype", args: [] }]);
      assert.equal(await s.visible("#layerFirst"), false);
      assert.equal(await s.visible("#cover"), false);
      assert.equal(await s.visible("#con_one_1 td.driverRow"), false);
      assert.equal(await s.text("#con_one_3 .js-keykind"), "非USBKey");
    });

    test("key-kind layer: back, then confirm saves the kind, checks and repairs in that order", async () => {
      await open({ settings: { first: 1, usertype: 0 } });
      await s.page.click("#firstYes");
      assert.equal(await s.visible("#layerKind"), true);
      assert.equal(await s.visible("#layerFirst"), false);
      assert.equal(await s.page.locator("input[name='keykind']").count(), 2, "the Feitian choice is not offered");
      await s.screenshot(`layer-key-kind-${engine.name}`);
      await s.page.click("#kindBack");
      assert.equal(await s.visible("#layerFirst"), true);
      assert.equal(await s.visible("#layerKind"), false);
      await s.page.click("#firstYes");
      await s.page.check("input[name='keykind'][value='4']");
      await s.clearCalls();
      await s.page.click("#kindOk");
      const names = (await s.calls()).filter((c) => c.name !== "getusertype");
      assert.deepEqual(names, [
        { name: "setusertype", args: [4] },
        { name: "check", args: [0] },
        { name: "installandfix", args: [] },
      ]);
      assert.equal(await s.visible("#layerKind"), false);
      assert.equal(await s.visible("#cover"), false);
      assert.equal(await s.text("#con_one_3 .js-keykind"), "握奇蓝牙");
      assert.equal(await s.page.locator("#con_one_1 .js-keypic").getAttribute("src"), "images/usb1.jpg");
    });

    test("key-kind layer: confirming with nothing chosen saves user type 2", async () => {
      await open({ settings: { usertype: 0 } });
      await s.sink("ShowDivc", 1);
      await s.page.click("#firstYes");
      await s.clearCalls();
      await s.page.click("#kindOk");
      assert.deepEqual((await s.calls()).filter((c) => c.name !== "getusertype").map((c) => [c.name, c.args]),
        [["setusertype", [2]], ["check", [0]], ["installandfix", []]]);
      assert.equal(await s.visible("#con_one_1 td.driverRow"), false);
    });

    test("setUserTypeUI shows each key kind's name and picture", async () => {
      await open({ settings: { usertype: 3 } });
      await s.page.click("#one3");
      for (const [type, name, picture] of [[3, "握奇一代", "images/usb.jpg"], [4, "握奇蓝牙", "images/usb1.jpg"],
        [5, "飞天蓝牙", "images/usb2.jpg"]]) {
        await s.page.evaluate((t) => { window.__mock.settings.usertype = t; }, type);
        await s.sink("setUserTypeUI");
        assert.equal(await s.text("#con_one_3 .js-keykind"), name);
        assert.equal(await s.page.locator("#con_one_3 .js-keypic").getAttribute("src"), picture);
        assert.equal(await s.visible("#con_one_3 tr.driverRow"), true);
      }
    });

    test("summary and details buttons: 重新检测, 一键设置 (site first), 清理", async () => {
      await open();
      for (const tab of [1, 2]) {
        await s.page.click(`#one${tab}`);
        await s.clearCalls();
        await s.page.click(`#con_one_${tab} .btn-recheck`);
        assert.deepEqual(await s.calls(), [{ name: "check", args: [0] }]);
        await s.clearCalls();
        await s.page.click(`#con_one_${tab} .btn-onekey`);
        assert.deepEqual(await s.calls(), [{ name: "site", args: [] }, { name: "installandfix", args: [] }]);
      }
      await s.page.click("#one1");
      await s.clearCalls();
      await s.page.click("#btnSslClean");
      assert.deepEqual(await s.calls(), [{ name: "fix", args: [12] }]);
    });

    test("title buttons: menu entries, minimise, close; all inside the host's pass-through areas", async () => {
      await open();
      // The host starts a window move for presses in the top 37 pixels except on these
      // rectangles (bounds excluded): y 11..21, x 414..460, 471..494, 505..528.
      const areas = { "#btnMenu": [414, 460], "#btnMini": [471, 494], "#btnClose": [505, 528] };
      for (const [selector, [left, right]] of Object.entries(areas)) {
        const box = await s.page.locator(selector).boundingBox();
        assert.ok(box.x >= left && box.x + box.width <= right + 1, `${selector} x ${box.x}..${box.x + box.width}`);
        assert.ok(box.y >= 11 && box.y + box.height <= 22, `${selector} y ${box.y}..${box.y + box.height}`);
      }
      await s.clearCalls();
      await s.page.click("#btnMini");
      await s.page.click("#btnClose");
      assert.deepEqual(await s.names(), ["mini", "exit"]);

      await s.page.click("#btnMenu");
      assert.equal(await s.visible("#menu"), true);
      // Everything else clickable starts below the band, or the host would move the
      // window instead of letting the press through.
      for (const selector of ["#menuAbout", "#menuOptions", "#menuWizard", "#one1", "#one5"]) {
        const box = await s.page.locator(selector).boundingBox();
        assert.ok(box.y >= 38, `${selector} starts at row ${box.y}, inside the window-moving band`);
      }
      await s.screenshot(`menu-${engine.name}`);
      await s.page.click("#menuAbout");
      assert.equal(await s.visible("#menu"), false);
      assert.equal(await s.visible("#layerAbout"), true);
      await s.screenshot(`layer-about-${engine.name}`);
      await s.page.click("#layerAbout .layerclose");
      assert.equal(await s.visible("#layerAbout"), false);
      assert.equal(await s.visible("#cover"), false);

      await s.page.click("#btnMenu");
      await s.page.click("#menuWizard");
      assert.equal(await s.visible("#layerFirst"), true);
      await s.page.click("#firstNo");
      await s.page.click("#btnMenu");
      await s.clearCalls();
      await s.page.click("#menuOptions");
      assert.equal(await s.visible("#layerOptions"), true);
      assert.deepEqual(await s.names(), ["getusertype", "getupdatetype", "getwithwindows", "getclosetype"]);
    });

    test("options layer: preselects the stored settings and saves all four in order", async () => {
      await open({ settings: { usertype: 4, updatetype: 1, withwindows: 1, closetype: 1 } });
      await s.sink("ShowDivb", 1);
      assert.equal(await s.page.isChecked("input[name='optUserType'][value='4']"), true);
      assert.equal(await s.page.inputValue("#optUpdate"), "1");
      assert.equal(await s.page.isChecked("input[name='optStart'][value='1']"), true);
      assert.equal(await s.page.isChecked("input[name='optClose'][value='1']"), true);
      for (let tab = 1; tab <= 4; tab++) {
        await s.page.click(`#two${tab}`);
        assert.equal(await s.visible(`#con_two_${tab}`), true);
        assert.equal(await s.page.getAttribute(`#two${tab}`, "class"), "hover");
        await s.screenshot(`layer-options-${tab}-${engine.name}`);
      }
      await s.page.click("#two2");
      await s.page.check("input[name='optUserType'][value='2']");
      await s.page.click("#two3");
      await s.page.selectOption("#optUpdate", "2");
      await s.page.click("#two4");
      await s.page.check("input[name='optStart'][value='0']");
      await s.page.check("input[name='optClose'][value='0']");
      await s.clearCalls();
      await s.page.click("#con_two_4 .btn-save");
      const calls = await s.calls();
      assert.deepEqual(calls.filter((c) => c.name !== "getusertype"), [
        { name: "setusertype", args: [2] },
        { name: "setupdatetype", args: [2] },
        { name: "setwithwindows", args: [0] },
        { name: "setclosetype", args: [0] },
      ]);
      assert.deepEqual(await s.settings(), { usertype: 2, updatetype: 2, first: 0, withwindows: 0, closetype: 0 });
      assert.equal(await s.visible("#layerOptions"), false);
    });

    test("options layer: a stored user type it does not offer is saved back unchanged", async () => {
      await open({ settings: { usertype: 5, updatetype: 0 } });
      await s.sink("ShowDivb", 1);
      assert.equal(await s.page.locator("input[name='optUserType']:checked").count(), 0);
      await s.clearCalls();
      await s.page.click("#con_two_1 .btn-save");
      const saved = (await s.calls()).find((c) => c.name === "setusertype");
      assert.deepEqual(saved.args, [5]);
    });

    test("quick links, update, 更改 and the certificate list", async () => {
      await open();
      await s.page.click("#one5");
      await s.screenshot(`tab5-links-${engine.name}`);
      await s.clearCalls();
      await s.page.click("#linkPersonal");
      await s.page.click("#linkCorporate");
      await s.page.click("#linkCert");
      await s.page.click("#linkUpdate");
      assert.deepEqual(await s.calls(), [
        { name: "openurl", args: ["https://ebank.quaymark.example/personal/"] },
        { name: "openurl", args: ["https://ebank.quaymark.example/corporate/"] },
        { name: "openurl", args: ["https://cert.quaymark.example:543/quaymarkcert/"] },
        { name: "update", args: [] },
      ]);
      await s.page.click("#one3");
      await s.page.click("#con_one_3 .link-change");
      assert.equal(await s.visible("#layerFirst"), true);
      await s.page.click("#firstNo");

      await s.page.click("#one2");
      await s.sink("setState", 804, 6, 1);
      await s.sink("setState", 804, 7, 2);
      await s.sink("setState", 804, 8, "2024-01-01");
      await s.sink("setState", 804, 9, "2026-01-01");
      await s.page.click("#linkCertList");
      assert.equal(await s.visible("#layerCerts"), true);
      const rows = await s.page.locator("#layerCerts tr.cert td").allInnerTexts();
      assert.deepEqual(rows, ["1", "正常", "2024-01-01", "2026-01-01"]);
      await s.screenshot(`layer-cert-list-${engine.name}`);
    });

    test("questions: an answer opens on its question and closes the one open before", async () => {
      await open();
      await s.page.click("#one4");
      const answers = s.page.locator("#faq dd");
      assert.equal(await answers.nth(0).isVisible(), false);
      await s.page.locator("#faq dt").nth(0).click();
      assert.equal(await answers.nth(0).isVisible(), true);
      await s.page.locator("#faq dt").nth(2).click();
      assert.equal(await answers.nth(2).isVisible(), true);
      assert.equal(await answers.nth(0).isVisible(), false);
      await s.screenshot(`tab4-questions-${engine.name}`);
      await s.page.locator("#faq dt").nth(2).click();
      assert.equal(await answers.nth(2).isVisible(), false);
    });

    test("the enrolment control: CertEnroll factory, Xenroll when it exists, a message when neither loads", async () => {
      await open({ enroll: "certenroll" });
      assert.equal(await s.page.getAttribute("#cenroll", "classid"), "clsid:884e2049-217d-11da-b2a4-000e7bbb2b09");
      assert.equal((await s.calls()).filter((c) => c.name === "messageBox").length, 0);
      await s.close();
      await open({ enroll: "xenroll" });
      assert.equal(await s.page.getAttribute("#cenroll", "classid"), "clsid:127698e4-e730-4e5c-a2b1-21490a70c8a1");
      assert.equal((await s.calls()).filter((c) => c.name === "messageBox").length, 0);
      await s.close();
      await open({ enroll: "none" });
      assert.deepEqual((await s.calls())[0], { name: "messageBox",
        args: ["加载控件失败，请确认您已经安装\n微软CertEnrollCtrl证书下载控件！", "错误"] });
    });
  });
}

describe("screenshots", () => {
  test("every main tab at the window's size", { skip: !shotDir && "TESSALY_SCREENSHOTS not set" }, async () => {
    const s = await openPage(browser, server, { settings: { usertype: 3 }, keyReport: [] });
    const report = async (...calls) => { for (const c of calls) await s.sink("setState", ...c); };
    await report([1, 1, "Microsoft Windows 7 旗舰版 SP1 (build 7601) 64位"], [1, 8, "11.0.9600.18231"],
      [1, 2, 0], [1, 3, 1], [1, 4, 0], [1, 5, 0], [1, 6, 0], [1, 7, 0], [1, 9, 0], [1, 10, 1], [1, 11, 0],
      [0, 0, 100], [0, 2, 1999], [0, 3, 1], [0, 4, "2024-05-06 08:09:10"],
      [2, 1, 5], [2, 2, "1.0.0.3"], [2, 3, 2], [2, 4, 5],
      [804, 13, 0], [804, 2, "WD1234567890"], [804, 3, 0], [804, 4, 0], [804, 5, 1], [804, 6, 2],
      [804, 7, 2], [804, 8, "2023-05-20"], [804, 9, "2025-05-20"], [804, 10, 3], [804, 11, "2022-06-01"],
      [804, 12, "2024-06-01"]);
    // Each tab shows a picture of its own, and the whole page fits the window: a picture of
    // the full page is no larger than the window's 650×534.
    const pictures = [];
    for (let tab = 1; tab <= 5; tab++) {
      await s.page.click(`#one${tab}`);
      await s.screenshot(`tab${tab}`);
      pictures.push(readFileSync(join(shotDir, `tab${tab}.png`)).toString("base64"));
      const full = await s.page.screenshot({ fullPage: true });
      assert.deepEqual([full.readUInt32BE(16), full.readUInt32BE(20)], [650, 534], `tab ${tab}`);
    }
    assert.equal(new Set(pictures).size, 5, "every tab looks different");
    await s.sink("TipShow", 1);
    await s.screenshot("layer-cert-download-choice");
    await s.page.click("#chooseTipPersonal");
    await s.screenshot("layer-cert-download-personal");
    await s.sink("TipShow", 3);
    await s.screenshot("layer-cert-download-corporate");
    assert.deepEqual(s.errors, []);
    await s.close();
  });
});
