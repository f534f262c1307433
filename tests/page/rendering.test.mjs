// How the page renders what the program reports through setState and clearState, in
// today's engine and in one without the APIs old Internet Explorer lacks.
import { describe, test, before, after, afterEach } from "node:test";
import assert from "node:assert/strict";
import { launchBrowser, startPageServer, openPage, ENGINES } from "./harness.mjs";

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

const src = (s, selector) => s.page.locator(selector).first().getAttribute("src");

for (const engine of ENGINES) {
  describe(`rendering (${engine.name} engine)`, () => {
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

    test("loads every asset, declares the best document mode and starts at 0 %", async () => {
      await open();
      assert.deepEqual(server.missing, [], "addresses the page asked for that have no asset");
      const broken = await s.page.evaluate(() => {
        const bad = [];
        const images = document.getElementsByTagName("img");
        for (let i = 0; i < images.length; i++) {
          const img = images[i];
          if (img.getAttribute("src") && img.complete && img.naturalWidth === 0) bad.push(img.getAttribute("src"));
        }
        return bad;
      });
      assert.deepEqual(broken, []);
      const firstMeta = await s.page.evaluate(() => {
        const m = document.head.firstElementChild;
        return [m.tagName, m.getAttribute("http-equiv"), m.getAttribute("content")];
      });
      assert.deepEqual(firstMeta, ["META", "X-UA-Compatible", "IE=edge"]);
      assert.equal(await s.page.evaluate(() => document.compatMode), "CSS1Compat");
      assert.equal(await s.text("#con_one_1 .js-progress"), "0%");
      assert.equal(await src(s, "#con_one_1 .js-progress-pic"), "images/loading.gif");
    });

    test("category 0: progress pictures, status texts, verdict and last check time", async () => {
      await open();
      await s.sink("setState", 0, 0, 54);
      assert.equal(await s.text("#con_one_1 .js-progress"), "54%");
      assert.equal(await s.text("#con_one_2 .js-progress"), "54%");
      assert.equal(await src(s, ".js-progress-pic"), "images/loading.gif");
      await s.sink("setState", 0, 0, 100);
      assert.equal(await src(s, ".js-progress-pic"), "images/done.png");
      // The download progress shares the field and goes back to the busy picture.
      await s.sink("setState", 0, 1, 35);
      assert.equal(await s.text("#con_one_1 .js-progress"), "35%");
      assert.equal(await src(s, ".js-progress-pic"), "images/loading.gif");

      const statuses = [[1, "安装完毕"], [2, "正在下载"], [3, "正在安装"], [4, "正在获取配置"], [5, "正在更新助手..."],
        [1002, "正在检测注册表"], [1003, "正在检测Host文件"], [1004, "正在检测根证书"], [1005, "正在检测网络连接"],
        [1006, "正在检测DNS设置"], [1007, "正在检测网银服务"], [1013, "正在检测网络代理设置"], [1009, "正在检测主页设置"],
        [1010, "正在检测安全级别设置"], [1011, "正在检测可信站点"], [1016, "正在检测驱动程序与UKey状态"],
        [1999, "检测完毕"], [2999, "设置完毕"]];
      for (const [code, text] of statuses) {
        await s.sink("setState", 0, 2, code);
        assert.equal(await s.text("#con_one_1 .js-status"), text, `status ${code}`);
      }
      // A check's start code has no text of its own: the line keeps what it showed.
      await s.sink("setState", 0, 2, 1000);
      assert.equal(await s.text("#con_one_1 .js-status"), "设置完毕");

      await s.sink("setState", 0, 3, 0);
      assert.equal(await s.text("#con_one_1 .js-result"), "恭喜您，您的电脑已达到我行网银使用要求，请放心使用。");
      for (const verdict of [1, 2, 3]) {
        await s.sink("setState", 0, 3, verdict);
        assert.equal(await s.text("#con_one_2 .js-result"), "您的电脑未达到我行网银的要求，请点击“一键设置”修复。");
      }
      await s.sink("setState", 0, 4, "2024-05-06 08:09:10");
      assert.equal(await s.text("#con_one_1 .js-lasttime"), "上次检测时间：2024-05-06 08:09:10");
      assert.equal(await s.text("#con_one_3 .js-lasttime"), "上次检测时间：2024-05-06 08:09:10");
    });

    test("a single repair shows its own status text (the codes repairs send: 2000 + item)", async () => {
      await open();
      const repairs = [2002, 2003, 2004, 2009, 2010, 2011, 2012];
      const seen = new Set();
      for (const code of repairs) {
        await s.sink("setState", 0, 2, 1999);
        await s.sink("setState", 0, 2, code);
        const text = await s.text("#con_one_1 .js-status");
        assert.notEqual(text, "检测完毕", `repair status ${code} shows no text`);
        assert.match(text, /^正在/);
        seen.add(text);
      }
      assert.equal(seen.size, repairs.length, "each repair has a text of its own");
    });

    test("category 1, item 1: the OS text is shortened to the name the list has room for", async () => {
      await open();
      const cases = [
        ["Microsoft Windows 7 旗舰版 SP1 (build 7601) 64位", "Windows 7"],
        ["Microsoft Windows 8.1 专业版 (build 9600) 64位", "Windows 8.1"],
        ["Microsoft Windows 8 专业版 (build 9200)", "Windows 8"],
        ["Microsoft Windows Vista 家庭高级版 SP2 (build 6002)", "Windows Vista"],
        ["Microsoft Windows Server 2008 R2 Enterprise Edition SP1 (build 7601) 64位", "Windows Server 2008"],
        ["Microsoft Windows Server 2003, Enterprise Edition SP2 (build 3790)", "Windows Server 2003"],
        ["Microsoft Windows 2000 专业版 SP4 (build 2195)", "Windows 2000"],
        ["Windows 10 Pro", "Windows 10"],
        ["Microsoft Windows XP 专业版 SP3 (build 2600)", "Windows XP 专业版 SP3 (build 2600)"],
        ["Unknown version of Windows", "Unknown version of Windows"],
      ];
      for (const [reported, shown] of cases) {
        await s.sink("setState", 1, 1, reported);
        assert.equal(await s.text("#sum1_1"), shown, reported);
        assert.equal(await s.text("#det1_1"), shown, reported);
        assert.equal(await src(s, "#sum1_1 img"), "images/ok.png");
      }
      await s.sink("setState", 1, 8, "11.0.9600.18231");
      assert.equal(await s.text("#sum1_8"), "11.0.9600.18231");
      assert.equal(await src(s, "#det1_8 img"), "images/ok.png");
    });

    test("category 1: repairable items get a 修复 button that calls fix with their number", async () => {
      await open();
      for (const item of [2, 3, 4, 9, 10, 11]) {
        await s.sink("setState", 1, item, 1);
        assert.equal(await s.text(`#det1_${item}`), "不正常", `item ${item}`);
        assert.equal(await src(s, `#det1_${item} img`), "images/error.png");
        const button = s.page.locator(`#fix1_${item} a`);
        assert.equal(await button.innerText(), "修复");
        await s.page.click("#one2");
        await s.clearCalls();
        await button.click();
        assert.deepEqual(await s.calls(), [{ name: "fix", args: [item] }]);
        // Reported twice abnormal: still one button.
        await s.sink("setState", 1, item, 1);
        assert.equal(await s.page.locator(`#fix1_${item} a`).count(), 1);
        await s.sink("setState", 1, item, 0);
        assert.equal(await s.text(`#det1_${item}`), "正常");
        assert.equal(await s.page.locator(`#fix1_${item} a`).count(), 0, `item ${item} keeps its button when normal`);
      }
      // The summary list mirrors the state without repair buttons.
      await s.sink("setState", 1, 3, 1);
      assert.equal(await s.text("#sum1_3"), "不正常");
      assert.equal(await s.page.locator("#sum1_3 a").count(), 0);
    });

    test("category 1: items 5, 6 and 7 set the online indicator", async () => {
      await open();
      await s.sink("setState", 1, 5, 0);
      assert.equal(await s.text("#sum1_5"), "正常");
      assert.equal(await s.text(".js-online"), "已联网");
      await s.sink("setState", 1, 6, 1);
      assert.equal(await s.text("#det1_6"), "不正常");
      assert.equal(await s.text(".js-online"), "未联网");
      await s.sink("setState", 1, 7, 0);
      assert.equal(await s.text(".js-online"), "已联网");
      assert.equal(await s.page.locator("#det1_7 a, #det1_5 a").count(), 0, "no repair for network items");
    });

    test("category 2: the driver row shows only the chosen key kind's driver", async () => {
      await open({ settings: { usertype: 3 } });
      await s.clearCalls();
      await s.sink("setState", 2, 5, 5);
      assert.equal(await s.text("#state2_drv"), "", "item 5 is the Bluetooth driver, not the chosen kind");
      assert.deepEqual(await s.names(), ["getusertype"]);
      await s.sink("setState", 2, 6, 0);
      assert.equal(await s.text("#state2_drv"), "");
      await s.sink("setState", 2, 4, 5);
      assert.equal(await s.text("#state2_drv"), "未安装");
      assert.equal(await s.text("#sum2_drv"), "未安装");
      await s.close();

      await open({ settings: { usertype: 4 } });
      await s.sink("setState", 2, 5, "3.3.9");
      assert.equal(await s.text("#state2_drv"), "已安装");
      assert.equal(await s.text("#ver2_drv"), "3.3.9");
      await s.sink("setState", 2, 4, 5);
      assert.equal(await s.text("#state2_drv"), "已安装", "item 4 is not the chosen kind");
      await s.close();

      // No key: no driver row at all, whatever is reported.
      await open({ settings: { usertype: 2 } });
      assert.equal(await s.visible("#con_one_1 td.driverRow"), false);
      await s.sink("setState", 2, 4, 5);
      assert.equal(await s.text("#state2_drv"), "");
    });

    test("category 2: state codes, the disabled bit and version texts", async () => {
      await open({ settings: { usertype: 3 } });
      await s.page.click("#one3");
      const cases = [
        // item, value, state text, button
        [2, 0, "已安装", null], [2, 1, "已安装", null], [2, 2, "有更新", "升级"], [2, 3, "有更新", null],
        [3, 4, "未安装", null], [3, 5, "未安装", "安装"], [3, 6, "未安装", null],
        [1, 4, "可选装", null], [1, 5, "可选装", "安装"], [1, 6, "可选装", null],
        [2, 0x40000005, "被禁用", null], [3, 0x40000000, "被禁用", null],
        // Bit 31 (no key of this kind plugged in) leaves the code readable.
        [4, (0x80000005 | 0), "未安装", "安装"], [4, (0x80000000 | 0), "已安装", null],
      ];
      for (const [item, value, text, button] of cases) {
        const key = item > 3 ? "drv" : item;
        await s.sink("setState", 2, item, value);
        assert.equal(await s.text(`#state2_${key}`), text, `item ${item} value ${value}`);
        assert.equal(await s.text(`#sum2_${key}`), text);
        const buttons = s.page.locator(`#act2_${key} a`);
        assert.equal(await buttons.count(), button ? 1 : 0, `item ${item} value ${value}: button`);
        if (button) {
          assert.equal(await buttons.innerText(), button);
          await s.clearCalls();
          await buttons.click();
          assert.deepEqual(await s.calls(), [{ name: "install", args: [item] }]);
        }
      }
      // Current: the program sends the version text; otherwise an empty text, then the state.
      await s.sink("setState", 2, 2, "1.0.0.3");
      assert.equal(await s.text("#state2_2"), "已安装");
      assert.equal(await s.text("#ver2_2"), "1.0.0.3");
      assert.equal(await s.page.locator("#act2_2 a").count(), 0);
      await s.sink("setState", 2, 2, "");
      await s.sink("setState", 2, 2, 2);
      assert.equal(await s.text("#ver2_2"), "");
      assert.equal(await s.text("#state2_2"), "有更新");
    });

    test("category 804: the key panel rows, certificate rows and update buttons", async () => {
      await open();
      await s.page.click("#one2");
      assert.equal(await s.visible("tr.cert1"), false, "certificate rows start hidden");
      assert.equal(await s.visible("tr.cert2"), false);
      assert.equal(await src(s, ".js-keyicon"), "images/question.png");
      await s.sink("setState", 804, 13, 0);
      assert.equal(await src(s, ".js-keyicon"), "images/ok.png");
      await s.sink("setState", 804, 13, 1);
      assert.equal(await src(s, ".js-keyicon"), "images/question.png");

      await s.sink("setState", 804, 2, "WD1234567890");
      assert.equal(await s.text("#key804_2"), "WD1234567890");
      for (const [item, zero, one] of [[3, "完整", "不完整"], [4, "未被锁定", "已被锁定"], [5, "已修改", "未修改"]]) {
        await s.sink("setState", 804, item, 0);
        assert.equal(await s.text(`#key804_${item}`), zero);
        await s.sink("setState", 804, item, 1);
        assert.equal(await s.text(`#key804_${item}`), one);
      }

      await s.sink("setState", 804, 6, 1);
      assert.equal(await s.text("#key804_6"), "1张");
      assert.equal(await s.visible("tr.cert1"), true);
      assert.equal(await s.visible("tr.cert2"), false);
      await s.sink("setState", 804, 6, 2);
      assert.equal(await s.visible("tr.cert1"), true);
      assert.equal(await s.visible("tr.cert2"), true);
      await s.sink("setState", 804, 6, 0);
      assert.equal(await s.text("#key804_6"), "0张");
      assert.equal(await s.visible("tr.cert1"), false);

      await s.sink("setState", 804, 6, 2);
      await s.sink("setState", 804, 8, "2023-05-20");
      await s.sink("setState", 804, 9, "2025-05-20");
      await s.sink("setState", 804, 11, "2021-01-01");
      await s.sink("setState", 804, 12, "2023-01-01");
      assert.equal(await s.text("#key804_8"), "2023-05-20");
      assert.equal(await s.text("#key804_12"), "2023-01-01");
      const states = [[1, "旧证书未注销", false], [2, "正常", false], [3, "需要更新", true], [4, "已过期", true]];
      for (const item of [7, 10]) {
        for (const [value, text, hasButton] of states) {
          await s.sink("setState", 804, item, value);
          assert.equal(await s.text(`#key804_${item}`), text);
          assert.equal(await s.page.locator(`#upd804_${item} a`).count(), hasButton ? 1 : 0, `item ${item} state ${value}`);
        }
      }
      await s.clearCalls();
      await s.page.locator("#upd804_10 a").click();
      assert.deepEqual(await s.calls(), [{ name: "openurl", args: ["https://cert.quaymark.example:543/quaymarkcert/"] }]);
      await s.screenshot(`tab2-key-panel-${engine.name}`);
    });

    test("clearState blanks one row, hides both certificate groups and the update buttons", async () => {
      await open();
      await s.page.click("#one2");
      await s.sink("setState", 804, 3, 0);
      await s.sink("setState", 804, 5, 1);
      await s.sink("setState", 804, 6, 2);
      await s.sink("setState", 804, 7, 4);
      await s.sink("setState", 804, 10, 3);
      await s.sink("clearState", 804, 5);
      assert.equal(await s.text("#key804_5"), "");
      assert.equal(await s.text("#key804_3"), "完整", "other rows stay");
      assert.equal(await s.visible("tr.cert1"), false);
      assert.equal(await s.visible("tr.cert2"), false);
      assert.equal(await s.page.locator("#upd804_7 a, #upd804_10 a").count(), 0);
      // Items outside 2..12 and other categories are not the panel's.
      await s.sink("clearState", 804, 13);
      await s.sink("clearState", 1, 3);
      assert.equal(await s.text("#key804_3"), "完整");
      // The program blanks every row before each probe.
      for (let item = 2; item <= 12; item++) await s.sink("clearState", 804, item);
      assert.equal(await s.text("#key804_3"), "");
      assert.equal(await s.text("#key804_6"), "");
    });

    test("setTab shows one panel of a group and marks its header", async () => {
      await open();
      await s.sink("setTab", "one", 5, 5);
      assert.equal(await s.visible("#con_one_5"), true);
      assert.equal(await s.visible("#con_one_1"), false);
      assert.equal(await s.page.getAttribute("#one5", "class"), "hover");
      assert.equal(await s.page.getAttribute("#one1", "class"), "");
      await s.sink("setTab", "one", 1, 5);
      assert.equal(await s.visible("#con_one_1"), true);
      assert.equal(await s.visible("#con_one_5"), false);
    });
  });
}
