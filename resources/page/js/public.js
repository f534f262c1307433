/*
 * Tessaly page script: renders what the program reports (setState, clearState, setTab,
 * ShowDivc, setUserTypeUI) and turns every control into a call of the program's external
 * object.
 *
 * The page runs in the Windows browser control, which on older PCs is Internet Explorer 6
 * to 8: this file is ECMAScript 3 only (no JSON, no Array.prototype.indexOf, no
 * Function.prototype.bind, no String.prototype.trim) and leaves all event wiring to
 * jQuery, which falls back to attachEvent.
 */

/* Addresses the page opens through the program (Internet Explorer, never the default
   browser). */
var PAGE_LINKS = {
  certSite: "https://cert.quaymark.example:543/quaymarkcert/"
};

/* Texts of the status codes the program sends as setState(0, 2, code). Codes missing here
   (1000: a check has just started) leave the status line as it is. Repairs send 2000 + n
   for check item n, so the repair texts are keyed by exactly those codes. */
var STATUS_TEXTS = {
  1: "安装完毕",
  2: "正在下载",
  3: "正在安装",
  4: "正在获取配置",
  5: "正在更新助手...",
  1002: "正在检测注册表",
  1003: "正在检测Host文件",
  1004: "正在检测根证书",
  1005: "正在检测网络连接",
  1006: "正在检测DNS设置",
  1007: "正在检测网银服务",
  1009: "正在检测主页设置",
  1010: "正在检测安全级别设置",
  1011: "正在检测可信站点",
  1013: "正在检测网络代理设置",
  1016: "正在检测驱动程序与UKey状态",
  1999: "检测完毕",
  2002: "正在修复注册表",
  2003: "正在修复Host文件",
  2004: "正在安装根证书",
  2009: "正在修复主页设置",
  2010: "正在修复安全级别设置",
  2011: "正在修复可信站点",
  2012: "正在清理SSL缓存",
  2999: "设置完毕"
};

var VERDICT_OK = "恭喜您，您的电脑已达到我行网银使用要求，请放心使用。";
var VERDICT_BAD = "您的电脑未达到我行网银的要求，请点击“一键设置”修复。";

/* The OS names the check list has room for, most specific first: "Windows 8.1" must win
   over "Windows 8". */
var OS_SHORT_NAMES = ["Windows 8.1", "Windows 8", "Windows 7", "Windows Vista",
  "Windows Server 2008", "Windows Server 2003", "Windows 2000", "Windows 10"];

var KEY_KINDS = {
  3: { name: "握奇一代", picture: "images/usb.jpg" },
  4: { name: "握奇蓝牙", picture: "images/usb1.jpg" },
  5: { name: "飞天蓝牙", picture: "images/usb2.jpg" }
};

var CERT_STATES = { 1: "旧证书未注销", 2: "正常", 3: "需要更新", 4: "已过期" };

var STATE_DISABLED = 0x40000000;
var STATE_CODE_MASK = 0x3FFFFFFF;

/* ---- small helpers ------------------------------------------------------------------ */

function contains(text, part) {
  return String(text).indexOf(part) >= 0;
}

function toInt(value) {
  var n = parseInt(value, 10);
  return isNaN(n) ? 0 : n;
}

/* Radio groups and select boxes give strings; the program's methods take integers. */
function checkedValue(name, fallback) {
  var checked = jQuery("input[name='" + name + "']:checked");
  return checked.length ? toInt(checked.val()) : fallback;
}

function setChecked(name, value) {
  jQuery("input[name='" + name + "']").each(function () {
    this.checked = toInt(this.value) === toInt(value);
  });
}

function stateCell(ok, text) {
  var img = ok ? "images/ok.png" : "images/error.png";
  return "<img class=\"mark\" src=\"" + img + "\" width=\"14\" height=\"14\" alt=\"\"><span class=\"" +
    (ok ? "good" : "bad") + "\">" + escapeHtml(text) + "</span>";
}

function escapeHtml(text) {
  return String(text).replace(/&/g, "&amp;").replace(/</g, "&lt;").replace(/>/g, "&gt;")
    .replace(/"/g, "&quot;");
}

/* Internet Explorer 6 needs its PNG fix applied to pictures inserted after load. */
function fixPictures(elements) {
  if (typeof ie6png !== "undefined") {
    elements.each(function () { ie6png.fixWithin(this); });
  }
}

/* A small button whose click calls the given function; returns false so that the "#"
   address never reaches the browser. */
function actionButton(label, onClick) {
  return jQuery("<a class=\"btn-small\" href=\"#\"></a>").text(label).click(function () {
    onClick();
    return false;
  });
}

/* ---- main tabs and layers ----------------------------------------------------------- */

function setTab(name, selected, count) {
  var i;
  selected = toInt(selected);
  count = toInt(count);
  for (i = 1; i <= count; i++) {
    document.getElementById(name + i).className = i === selected ? "hover" : "";
    document.getElementById("con_" + name + "_" + i).style.display = i === selected ? "block" : "none";
  }
}

var LAYER_IDS = ["layerAbout", "layerFirst", "layerKind", "layerOptions", "layerCerts",
  "tipChoose", "tipPersonal", "tipCorporate"];

function showLayer(id, flag) {
  var i, anyOpen = false;
  document.getElementById(id).style.display = toInt(flag) === 1 ? "block" : "none";
  for (i = 0; i < LAYER_IDS.length; i++) {
    if (document.getElementById(LAYER_IDS[i]).style.display === "block") {
      anyOpen = true;
    }
  }
  document.getElementById("cover").style.display = anyOpen ? "block" : "none";
}

function ShowDiv(flag) { showLayer("layerAbout", flag); }
function ShowDivc(flag) { showLayer("layerFirst", flag); }
function ShowDiva(flag) { showLayer("layerKind", flag); }
function ShowDivd(flag) {
  if (toInt(flag) === 1) {
    fillCertList();
  }
  showLayer("layerCerts", flag);
}
function ShowDivb(flag) {
  if (toInt(flag) === 1) {
    loadSettings();
    setTab("two", 1, 4);
  }
  showLayer("layerOptions", flag);
}

/* ---- settings ------------------------------------------------------------------------- */

/* What the options layer read when it opened: a setting whose control has nothing
   selected (a user type the layer does not offer, say) is saved back unchanged. */
var loadedSettings = { userType: 0, updateType: 0, withWindows: 0, closeType: 0 };

function loadSettings() {
  loadedSettings.userType = toInt(external.getusertype());
  loadedSettings.updateType = toInt(external.getupdatetype());
  loadedSettings.withWindows = toInt(external.getwithwindows());
  loadedSettings.closeType = toInt(external.getclosetype());
  setChecked("optUserType", loadedSettings.userType);
  jQuery("#optUpdate").val(String(loadedSettings.updateType));
  setChecked("optStart", loadedSettings.withWindows === 1 ? 1 : 0);
  setChecked("optClose", loadedSettings.closeType === 0 ? 0 : 1);
}

function saveSetting() {
  var update = document.getElementById("optUpdate");
  external.setusertype(checkedValue("optUserType", loadedSettings.userType));
  external.setupdatetype(update.selectedIndex >= 0 ? toInt(jQuery(update).val()) : loadedSettings.updateType);
  external.setwithwindows(checkedValue("optStart", loadedSettings.withWindows));
  external.setclosetype(checkedValue("optClose", loadedSettings.closeType));
}

function saveUserType() {
  external.setusertype(checkedValue("keykind", 2));
}

function setUserTypeUI() {
  var type = toInt(external.getusertype());
  var kind = KEY_KINDS[type];
  if (kind) {
    jQuery(".driverRow").show();
    jQuery(".js-keypic").attr("src", kind.picture);
    jQuery(".js-keykind").text(kind.name);
  } else {
    jQuery(".driverRow").hide();
    jQuery(".js-keykind").text("非USBKey");
  }
}

/* ---- what the program reports --------------------------------------------------------- */

/* "Microsoft Windows 7 旗舰版 SP1 (build 7601) 64位" becomes "Windows 7"; an XP text keeps
   its edition and service pack, which is what tells whether it needs upgrading. */
function shortOsName(text) {
  var i;
  text = String(text);
  for (i = 0; i < OS_SHORT_NAMES.length; i++) {
    if (contains(text, OS_SHORT_NAMES[i])) {
      return OS_SHORT_NAMES[i];
    }
  }
  if (contains(text, "Windows XP")) {
    return text.replace("Microsoft ", "");
  }
  return text;
}

function setProgress(percent) {
  var done = toInt(percent) >= 100;
  jQuery(".js-progress").text(percent + "%");
  jQuery(".js-progress-pic").attr("src", done ? "images/done.png" : "images/loading.gif");
}

function setOnline(online) {
  jQuery(".js-online").text(online ? "已联网" : "未联网")
    .removeClass(online ? "offline" : "online").addClass(online ? "online" : "offline");
}

function renderGeneral(item, value) {
  var text;
  switch (item) {
  case 0:
  case 1:
    setProgress(value);
    break;
  case 2:
    text = STATUS_TEXTS[toInt(value)];
    if (typeof text === "string") {
      jQuery(".js-status").text(text);
    }
    break;
  case 3:
    if (toInt(value) === 0) {
      jQuery(".js-result").text(VERDICT_OK).removeClass("bad").addClass("good");
    } else {
      jQuery(".js-result").text(VERDICT_BAD).removeClass("good").addClass("bad");
    }
    break;
  case 4:
    jQuery(".js-lasttime").text("上次检测时间：" + value);
    break;
  }
}

function renderCheckItem(item, value) {
  var ok = toInt(value) === 0;
  var cells = jQuery("#sum1_" + item + ", #det1_" + item);
  switch (item) {
  case 1:
  case 8:
    cells.html(stateCell(true, item === 1 ? shortOsName(value) : value));
    fixPictures(cells);
    break;
  case 2:
  case 3:
  case 4:
  case 9:
  case 10:
  case 11:
    cells.html(stateCell(ok, ok ? "正常" : "不正常"));
    fixPictures(cells);
    jQuery("#fix1_" + item).empty();
    if (!ok) {
      jQuery("#fix1_" + item).append(actionButton("修复", function () { external.fix(item); }));
    }
    break;
  case 5:
  case 6:
  case 7:
    cells.html(stateCell(ok, ok ? "正常" : "不正常"));
    fixPictures(cells);
    setOnline(ok);
    break;
  }
}

/* Component rows: items 1 to 3 are browser controls with rows of their own; items 4 to 6
   are the drivers of the three key kinds and share the one driver row, which shows the
   chosen kind only. */
function renderComponent(item, value) {
  var key = item > 3 ? "drv" : String(item);
  var text, button = null, code;
  if (typeof value !== "number") {
    text = "已安装";
    jQuery("#ver2_" + key).text(String(value));
  } else if (value & STATE_DISABLED) {
    text = "被禁用";
  } else {
    code = value & STATE_CODE_MASK;
    if (code === 0 || code === 1) {
      text = "已安装";
    } else if (code === 2 || code === 3) {
      text = "有更新";
      button = code === 2 ? "升级" : null;
    } else if (code === 4 || code === 5 || code === 6) {
      text = item === 1 ? "可选装" : "未安装";
      button = code === 5 ? "安装" : null;
    } else {
      text = "";
    }
  }
  jQuery("#sum2_" + key + ", #state2_" + key).text(text)
    .removeClass("good bad").addClass(text === "已安装" ? "good" : "bad");
  jQuery("#act2_" + key).empty();
  if (button) {
    jQuery("#act2_" + key).append(actionButton(button, function () { external.install(item); }));
  }
}

function showCertRows(count) {
  jQuery(".cert1").toggle(count >= 1);
  jQuery(".cert2").toggle(count >= 2);
}

function renderKeyItem(item, value) {
  var state;
  switch (item) {
  case 13:
    jQuery(".js-keyicon").attr("src", toInt(value) === 0 ? "images/ok.png" : "images/question.png");
    break;
  case 2:
  case 8:
  case 9:
  case 11:
  case 12:
    jQuery("#key804_" + item).text(String(value));
    break;
  case 3:
    jQuery("#key804_3").text(toInt(value) === 0 ? "完整" : "不完整");
    break;
  case 4:
    jQuery("#key804_4").text(toInt(value) === 0 ? "未被锁定" : "已被锁定");
    break;
  case 5:
    jQuery("#key804_5").text(toInt(value) === 0 ? "已修改" : "未修改");
    break;
  case 6:
    jQuery("#key804_6").text(toInt(value) + "张");
    showCertRows(toInt(value));
    break;
  case 7:
  case 10:
    state = toInt(value);
    jQuery("#key804_" + item).text(CERT_STATES[state] || "");
    jQuery("#upd804_" + item).empty();
    if (state === 3 || state === 4) {
      jQuery("#upd804_" + item).append(actionButton("更新", function () {
        external.openurl(PAGE_LINKS.certSite);
      }));
    }
    break;
  }
}

function setState(category, item, value) {
  category = toInt(category);
  item = toInt(item);
  if (category === 2 && item > 3 && item - 1 !== toInt(external.getusertype())) {
    return;
  }
  switch (category) {
  case 0:
    renderGeneral(item, value);
    break;
  case 1:
    renderCheckItem(item, value);
    break;
  case 2:
    renderComponent(item, value);
    break;
  case 804:
    renderKeyItem(item, value);
    break;
  }
}

function clearState(category, item) {
  item = toInt(item);
  if (toInt(category) !== 804 || item < 2 || item > 12) {
    return;
  }
  showCertRows(0);
  jQuery("#upd804_7, #upd804_10").empty();
  jQuery("#key804_" + item).empty();
}

/* Never called by the program; kept for pages of the bank that drive the key panel. */
function setKey(item, value) { setState(804, item, value); }
function setKeyState(value) { setState(804, 13, value); }

/* ---- the certificate list layer ------------------------------------------------------- */

function fillCertList() {
  var table = jQuery("#layerCerts .certlist");
  var shown = 0, n, row;
  table.find("tr.cert").remove();
  for (n = 1; n <= 2; n++) {
    if (jQuery(".cert" + n).css("display") !== "none") {
      row = jQuery("<tr class=\"cert\"></tr>");
      row.append(jQuery("<td></td>").text(String(n)));
      row.append(jQuery("<td></td>").text(jQuery("#key804_" + (n === 1 ? 7 : 10)).text()));
      row.append(jQuery("<td></td>").text(jQuery("#key804_" + (n === 1 ? 8 : 11)).text()));
      row.append(jQuery("<td></td>").text(jQuery("#key804_" + (n === 1 ? 9 : 12)).text()));
      table.append(row);
      shown++;
    }
  }
  jQuery("#layerCerts .certempty").toggle(shown === 0);
}

/* ---- wiring --------------------------------------------------------------------------- */

function wireQuestions() {
  var open = null;
  jQuery("#faq dd").hide();
  jQuery("#faq dt").click(function () {
    var answer = jQuery(this).next("dd");
    if (open && open[0] !== answer[0]) {
      open.hide();
      open.prev("dt").removeClass("open");
    }
    if (answer.css("display") === "none") {
      answer.show();
      jQuery(this).addClass("open");
      open = answer;
    } else {
      answer.hide();
      jQuery(this).removeClass("open");
      open = null;
    }
  });
}

/* Every handler returns false: the controls are "#" links, and following one would
   scroll or reload the page inside the host. */
function wireControls() {
  var $ = jQuery;
  $("#btnMenu").click(function () { $("#menu").toggle(); return false; });
  $(document).click(function () { $("#menu").hide(); });
  $("#btnMini").click(function () { external.mini(); return false; });
  $("#btnClose").click(function () { external.exit(); return false; });
  $("#menuAbout").click(function () { $("#menu").hide(); ShowDiv(1); return false; });
  $("#menuOptions").click(function () { $("#menu").hide(); ShowDivb(1); return false; });
  $("#menuWizard").click(function () { $("#menu").hide(); ShowDivc(1); return false; });

  $("#tabs li").each(function (index) {
    $(this).click(function () { setTab("one", index + 1, 5); return false; });
  });
  $("#layerOptions .vtabs li").each(function (index) {
    $(this).click(function () { setTab("two", index + 1, 4); return false; });
  });

  $(".btn-recheck").click(function () { external.check(0); return false; });
  $(".btn-onekey").click(function () {
    external.site();
    external.installandfix();
    return false;
  });
  $("#btnSslClean").click(function () { external.fix(12); return false; });
  $(".link-change").click(function () { ShowDivc(1); return false; });
  $("#linkCertList").click(function () { ShowDivd(1); return false; });

  $("#con_one_5 .links a").click(function () {
    external.openurl($(this).attr("data-url"));
    return false;
  });
  $("#linkUpdate").click(function () { external.update(); return false; });

  $("#firstYes").click(function () { ShowDivc(0); ShowDiva(1); return false; });
  $("#firstNo").click(function () { ShowDivc(0); external.setusertype(2); return false; });
  $("#kindBack").click(function () { ShowDiva(0); ShowDivc(1); return false; });
  $("#kindOk").click(function () {
    ShowDiva(0);
    saveUserType();
    setUserTypeUI();
    external.check(0);
    external.installandfix();
    return false;
  });

  $("#layerOptions .btn-save").click(function () {
    saveSetting();
    ShowDivb(0);
    return false;
  });
  $("#layerAbout .layerclose").click(function () { ShowDiv(0); return false; });
  $("#layerOptions .layerclose").click(function () { ShowDivb(0); return false; });
  $("#layerCerts .layerclose").click(function () { ShowDivd(0); return false; });
}

jQuery(document).ready(function () {
  setState(0, 0, 0);
  setState(0, 1, 0);
  wireControls();
});

jQuery(window).load(function () {
  wireQuestions();
  if (external.getFirst == 1) {
    external.Checking();
    ShowDivc(1);
    external.setFirst(0);
  }
  setUserTypeUI();
  showCertRows(0);
});
