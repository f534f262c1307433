/*
 * Certificate download into the USB key: the personal and corporate forms, the exchange
 * with the bank's certificate server, the key-pair request through the enrolment control
 * and the installation of the signed certificate.
 *
 * ECMAScript 3 only, like every script of this page (the host is an old Internet
 * Explorer engine).
 */
var certDownload = (function () {
  var CERTENROLL_CLSID = "clsid:884e2049-217d-11da-b2a4-000e7bbb2b09";
  var XENROLL_CLSID = "clsid:127698e4-e730-4e5c-a2b1-21490a70c8a1";
  var CSP_NAME = "Watchdata CSP v3.3";
  var BOX_TITLE = "证书下载";
  var ERROR_CAPTION = "错误";

  var self = {
    /* The certificate service (HTTPS, port 543). */
    serverBase: "https://cert.quaymark.example:543/quaymarkcert/",
    /* How long the server's answer stays on screen before the flow goes on. */
    answerDelay: 2000,
    /* Which control placeEnrollControl put in the page: "xenroll" or "certenroll". */
    controlKind: null,
    busy: false
  };

  /* ---- the enrolment control ------------------------------------------------------- */

  /* Xenroll exists up to Windows XP; later systems only offer the CertEnroll web class
     factory. Both go into the page as <object id="cenroll">, written while the page is
     still being parsed so that the engine instantiates them before the host withdraws
     its permission for unsafe controls. */
  self.placeEnrollControl = function () {
    var xenroll = null;
    try {
      xenroll = new ActiveXObject("CEnroll.CEnroll.2");
    } catch (e) {
      xenroll = null;
    }
    self.controlKind = xenroll ? "xenroll" : "certenroll";
    document.write("<object id=\"cenroll\" classid=\"" +
      (xenroll ? XENROLL_CLSID : CERTENROLL_CLSID) +
      "\" width=\"0\" height=\"0\" style=\"position:absolute;left:0;top:0\"></object>");
  };

  /* The script object behind <object id="cenroll">, or null when the control did not
     load. Internet Explorer hands it out as the element's "object" property; the method
     test covers engines that expose the control's methods on the element itself. */
  self.enrollControl = function () {
    var element = document.getElementById("cenroll");
    var control, probe;
    if (!element) {
      return null;
    }
    control = element.object ? element.object : element;
    probe = self.controlKind === "xenroll" ? "createPKCS10" : "CreateObject";
    return typeof control[probe] === "undefined" ? null : control;
  };

  self.verifyEnrollControl = function () {
    if (!self.enrollControl()) {
      external.messageBox("加载控件失败，请确认您已经安装\n微软CertEnrollCtrl证书下载控件！", ERROR_CAPTION);
    }
  };

  /* Returns { request: Base64 PKCS#10, install: function (signed) -> bool } or null when
     the control fails. The request is made through the control the page holds: Xenroll
     can be registered on later systems too (the enrolment repair registers it), and then
     it is the object in the page, whatever the Windows version. */
  self.makeRequest = function (subjectDn) {
    var control = self.enrollControl();
    if (!control) {
      return null;
    }
    try {
      if (self.controlKind === "xenroll") {
        return xenrollRequest(control, subjectDn);
      }
      return certEnrollRequest(control, subjectDn);
    } catch (e) {
      return null;
    }
  };

  function certEnrollRequest(factory, subjectDn) {
    var key = factory.CreateObject("X509Enrollment.CX509PrivateKey");
    var request = factory.CreateObject("X509Enrollment.CX509CertificateRequestPkcs10");
    var name = factory.CreateObject("X509Enrollment.CX500DistinguishedName");
    var enroll = factory.CreateObject("X509Enrollment.CX509Enrollment");
    var pkcs10;
    key.ProviderName = CSP_NAME;
    key.ProviderType = 1;
    key.KeySpec = 1;          // key exchange
    key.ExportPolicy = 1;     // exportable
    request.InitializeFromPrivateKey(1, key, "");   // user context
    name.Encode(subjectDn, 0);
    request.Subject = name;
    enroll.InitializeFromRequest(request);
    enroll.CertificateDescription = "Description";
    pkcs10 = enroll.CreateRequest(1);               // Base64
    return {
      request: pkcs10,
      install: function (signed) {
        var installer = factory.CreateObject("X509Enrollment.CX509Enrollment");
        installer.Initialize(1);                     // user context
        installer.InstallResponse(4, signed, 1, ""); // allow an untrusted root; Base64
        return true;
      }
    };
  }

  function xenrollRequest(control, subjectDn) {
    var pkcs10;
    control.ProviderName = CSP_NAME;
    control.ProviderType = 1;
    control.KeySpec = 2;          // signature
    control.GenKeyFlags = 1;      // exportable
    control.HashAlgorithm = "MD5";
    pkcs10 = control.createPKCS10(subjectDn, "1.3.6.1.5.5.7.3.2");
    return {
      request: pkcs10,
      install: function (signed) {
        control.acceptPKCS7(signed);
        return true;
      }
    };
  }

  /* ---- reading the server's answers ------------------------------------------------- */

  /* The value of the form field called name in an HTML answer: the text between the
     double quotes after value=, spaces allowed around the equals signs; null when the
     field is missing or empty. */
  self.fieldValue = function (html, name) {
    var tags = String(html).match(/<[^>]*>/g);
    var nameTest = new RegExp("\\bname\\s*=\\s*[\"']?" + name + "[\"'\\s/>]");
    var valueMatch, i;
    if (!tags) {
      return null;
    }
    for (i = 0; i < tags.length; i++) {
      if (nameTest.test(tags[i])) {
        valueMatch = /\bvalue\s*=\s*"([^"]*)"/.exec(tags[i]);
        if (valueMatch && valueMatch[1] !== "") {
          return valueMatch[1];
        }
      }
    }
    return null;
  };

  /* The text after label up to the next "<". */
  self.labelledText = function (html, label) {
    var text = String(html);
    var start = text.indexOf(label);
    var end;
    if (start < 0) {
      return "";
    }
    start += label.length;
    end = text.indexOf("<", start);
    return end < 0 ? text.substring(start) : text.substring(start, end);
  };

  /* ---- the forms ----------------------------------------------------------------------- */

  function field(form, name) {
    var element = form.elements[name];
    return element ? jQuery.trim(String(element.value)) : "";
  }

  /* Returns the problem to show, or "" when the form may be sent. */
  self.validate = function (form, corporate) {
    if (corporate && !/^\d{10}$/.test(field(form, "customerId"))) {
      return "企业客户号应为10位数字";
    }
    if (!corporate && !/^\d{10}$/.test(field(form, "userId"))) {
      return "客户号应为10位数字";
    }
    if (corporate && field(form, "userId") === "") {
      return "请输入操作员号";
    }
    if (field(form, "userName") === "") {
      return "请输入姓名";
    }
    if (field(form, "certType") === "") {
      return "请选择证件类型";
    }
    if (!/^[0-9A-Za-z()（）-]{4,30}$/.test(field(form, "certNo"))) {
      return "请输入正确的证件号码";
    }
    if (!/^[0-9A-Za-z]{8,20}$/.test(field(form, "password"))) {
      return "下载密码应为至少8位字母或数字";
    }
    if (field(form, "checkCode").length !== 4) {
      return "请输入4位验证码";
    }
    return "";
  };

  function setButtons(form, enabled) {
    jQuery(form).find("input[type='button']").each(function () {
      this.disabled = !enabled;
    });
  }

  self.refreshCaptcha = function (form) {
    jQuery(form).find("img.captcha").attr("src",
      self.serverBase + "VerifyImage?update=" + Math.random());
  };

  /* Posts fields to the certificate server and hands the answer text ("" when none came)
     to done. The page's address is a local resource, so the server is another origin:
     Internet Explorer before 10 reaches it through its own request object, which jQuery
     only uses for other origins when told that the engine may. */
  function post(path, fields, done) {
    jQuery.support.cors = true;
    jQuery.ajax({
      type: "POST",
      url: self.serverBase + path,
      data: fields,
      dataType: "text",
      cache: false,
      success: function (text) { done(text ? String(text) : ""); },
      error: function () { done(""); }
    });
  }

  function later(step) {
    window.setTimeout(step, self.answerDelay);
  }

  /* ---- the flow -------------------------------------------------------------------------- */

  self.submit = function (form, corporate) {
    var tip = jQuery(form).find(".formtip");
    var problem = self.validate(form, corporate);
    var flag = corporate ? 2 : 1;
    var first;
    if (self.busy) {
      return;
    }
    tip.text(problem);
    if (problem !== "") {
      return;
    }
    self.busy = true;
    setButtons(form, false);

    function stop() {
      self.busy = false;
      setButtons(form, true);
    }

    external.checkUkeySimple();
    if (jQuery.trim(jQuery("#key804_3").text()) !== "完整") {
      external.messageBox("未发现您的UKey，请检查UKey是否插入以及UKey驱动是否安装！", ERROR_CAPTION);
      stop();
      return;
    }

    external.downloadingBox(1, "UKey检测", "正在检查UKey状态，请稍候...");
    external.downloadingBox(0, BOX_TITLE, "");
    external.downloadingBox(2, BOX_TITLE, "正在发送证书请求，请稍候...");

    first = {
      userId: field(form, "userId"),
      userName: field(form, "userName"),
      certType: field(form, "certType"),
      certNo: field(form, "certNo"),
      password: field(form, "password"),
      flag: flag,
      USBKeyType: "watchData",
      USBKeySN: "9999999999",
      CSP: CSP_NAME,
      checkCode: field(form, "checkCode")
    };
    if (corporate) {
      first.customerId = field(form, "customerId");
    }

    post(corporate ? "doCbSubmitDown.do" : "doPerSubmitDown.do", first, function (answer) {
      later(function () { firstAnswered(answer); });
    });

    function firstAnswered(answer) {
      var subjectDn, customerId, made;
      external.downloadingBox(0, BOX_TITLE, "");
      if (answer === "") {
        external.messageBox("没有收到证书服务器响应，请检查您的网络或稍后再试！", ERROR_CAPTION);
        stop();
        return;
      }
      if (contains(answer, "错误代码：")) {
        external.messageBox("对不起，交易执行时发生异常，以下是详细信息\n错误代码：" +
          self.labelledText(answer, "错误代码：") + "\n错误说明：" +
          self.labelledText(answer, "错误说明："), ERROR_CAPTION);
        external.cheatRegistry(false);
        stop();
        return;
      }
      if (contains(answer, "验证码")) {
        external.messageBox("验证码错误！请刷新后重试！", ERROR_CAPTION);
        external.cheatRegistry(false);
        self.refreshCaptcha(form);
        stop();
        return;
      }
      subjectDn = self.fieldValue(answer, "subjectDn");
      customerId = self.fieldValue(answer, "customerId");
      if (subjectDn === null || customerId === null) {
        external.messageBox(subjectDn === null ? "获取subjectDn失败！" : "获取cunstomerId失败！", ERROR_CAPTION);
        external.cheatRegistry(false);
        stop();
        return;
      }
      made = self.makeRequest(subjectDn);
      if (!made) {
        external.messageBox("加载控件失败！\n请确认您的UKey已插入电脑，并且安装了驱动程序！", ERROR_CAPTION);
        stop();
        return;
      }
      external.downloadingBox(1, BOX_TITLE, "正在下载证书请求...\n请勿关闭助手或拔出UKey，以免证书下载失败！");
      post(corporate ? "cbStartRaRequest.do" : "pbStartRaRequest.do", {
        customerId: customerId,
        flag: flag,
        pkcs10Request: made.request,
        subjectDn: subjectDn,
        userId: first.userId
      }, function (second) {
        later(function () { secondAnswered(second, made); });
      });
    }

    function secondAnswered(answer, made) {
      var signed, installed;
      external.downloadingBox(0, BOX_TITLE, "");
      if (contains(answer, "加密设备中已经存在该证书")) {
        external.messageBox("加密设备中已经存在该证书，\n或证书不是在这加密设备申请的！", ERROR_CAPTION);
      } else {
        signed = self.fieldValue(answer, "certSigned");
        if (signed === null) {
          external.messageBox("获取certData失败！", ERROR_CAPTION);
        } else {
          try {
            installed = made.install(signed);
          } catch (e) {
            installed = false;
          }
          if (installed) {
            external.messageBox("证书下载完成！", "恭喜");
          } else {
            external.messageBox("证书下载失败！", ERROR_CAPTION);
          }
        }
      }
      stop();
    }
  };

  /* ---- the layers ---------------------------------------------------------------------- */

  var TIP_LAYERS = ["tipChoose", "tipPersonal", "tipCorporate"];

  /* which: 1 the choice of certificate kind, 2 the personal form, 3 the corporate form. */
  self.show = function (which) {
    var i, form;
    for (i = 0; i < TIP_LAYERS.length; i++) {
      showLayer(TIP_LAYERS[i], i + 1 === which ? 1 : 0);
    }
    if (which === 2 || which === 3) {
      form = document.getElementById(which === 2 ? "formPersonal" : "formCorporate");
      jQuery(form).find(".formtip").text("");
      self.refreshCaptcha(form);
    }
  };

  self.close = function () {
    var i;
    for (i = 0; i < TIP_LAYERS.length; i++) {
      showLayer(TIP_LAYERS[i], 0);
    }
  };

  self.wire = function () {
    var $ = jQuery;
    $("#chooseTipPersonal").click(function () { TipShow(2); return false; });
    $("#chooseTipCorporate").click(function () { TipShow(3); return false; });
    $("#tipChoose .layerclose, #tipPersonal .layerclose, #tipCorporate .layerclose, .certform .cancel")
      .click(function () {
        if (!self.busy) {
          TipClose();
        }
        return false;
      });
    $("#formPersonal .submit").click(function () { self.submit(this.form, false); });
    $("#formCorporate .submit").click(function () { self.submit(this.form, true); });
    $(".certform img.captcha").click(function () { self.refreshCaptcha($(this).closest("form")[0]); });
  };

  return self;
}());

function TipShow(which) { certDownload.show(parseInt(which, 10) || 1); }
function TipClose() { certDownload.close(); }

jQuery(document).ready(function () { certDownload.wire(); });
