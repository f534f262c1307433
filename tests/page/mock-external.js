// Injected before any script of the page (Playwright init script). Stands in for what
// the program gives the page inside the Windows browser control:
//  - window.external with the program's 26 methods, converting and counting arguments
//    the way the program's dispatch table does and recording every call in order;
//  - the settings behind the get/set methods, and the program's call back into
//    setUserTypeUI after setusertype;
//  - the enrolment controls: Xenroll behind new ActiveXObject("CEnroll.CEnroll.2") and
//    its <object>, or the CertEnroll class factory behind its <object>;
//  - optionally ("legacy"), an engine without the APIs old Internet Explorer lacks.
// The harness passes the test's configuration as the argument and reads window.__mock.
(config) => {
  const mock = {
    calls: [],
    enroll: [],
    settings: Object.assign({ usertype: 3, updatetype: 0, first: 0, withwindows: 0, closetype: 0 },
      config.settings || {}),
    checkAfterUserType: false,
    // setState calls the program makes while checkUkeySimple runs: [[category, item, value]...]
    keyReport: config.keyReport || [],
  };
  window.__mock = mock;
  // Kept before the legacy engine below removes them.
  const stringify = JSON.stringify;

  // ---- argument conversion as the program's dispatch table does it ----------------------
  const convert = {
    int(value, name) {
      if (typeof value === "number" && Number.isInteger(value)) return value;
      if (typeof value === "boolean") return value ? -1 : 0;
      if (typeof value === "string" && /^\s*-?\d+\s*$/.test(value)) return parseInt(value, 10);
      throw new TypeError(`type mismatch: ${name} expects an integer, got ${stringify(value)}`);
    },
    bool(value, name) {
      if (typeof value === "boolean") return value;
      if (typeof value === "number") return value !== 0;
      throw new TypeError(`type mismatch: ${name} expects a boolean, got ${stringify(value)}`);
    },
    str(value, name) {
      if (typeof value === "string") return value;
      if (typeof value === "number") return String(value);
      throw new TypeError(`type mismatch: ${name} expects a string, got ${stringify(value)}`);
    },
  };

  const s = mock.settings;
  const behaviour = {
    setusertype(v) {
      s.usertype = v;
      if (typeof window.setUserTypeUI === "function") window.setUserTypeUI();
    },
    getusertype: () => s.usertype,
    setupdatetype(v) { if (v === 0 || v === 1 || v === 2) s.updatetype = v; },
    getupdatetype: () => s.updatetype,
    setFirst(v) { s.first = v; },
    getFirst: () => s.first,
    setwithwindows(v) { s.withwindows = v === 1 ? 1 : 0; },
    getwithwindows: () => s.withwindows,
    setclosetype(v) { s.closetype = v !== 0 ? 1 : 0; },
    getclosetype: () => s.closetype,
    Checking() { mock.checkAfterUserType = true; },
    checkUkeySimple() {
      for (const [category, item, value] of mock.keyReport) window.setState(category, item, value);
    },
  };

  // name, parameter types, whether it returns a value
  const table = [
    ["cheatRegistry", ["bool"]], ["checkUkeySimple", []], ["messageBox", ["str", "str"]],
    ["downloadingBox", ["int", "str", "str"]], ["checkAndFixCertEnroll", []], ["install", ["int"]],
    ["fix", ["int"]], ["check", ["int"]], ["installandfix", []], ["stop", ["int"]], ["exit", []],
    ["mini", []], ["site", []], ["Checking", []], ["setusertype", ["int"]], ["getusertype", [], true],
    ["setupdatetype", ["int"]], ["getupdatetype", [], true], ["setFirst", ["int"]], ["getFirst", [], true],
    ["setwithwindows", ["int"]], ["getwithwindows", [], true], ["setclosetype", ["int"]],
    ["getclosetype", [], true], ["openurl", ["str"]], ["update", []],
  ];
  const external = {};
  for (const [name, params, returns] of table) {
    const invoke = (args) => {
      if (args.length !== params.length) {
        throw new Error(`DISP_E_BADPARAMCOUNT: external.${name} takes ${params.length} argument(s), got ${args.length}`);
      }
      const converted = [];
      for (let i = 0; i < params.length; i++) converted.push(convert[params[i]](args[i], name));
      mock.calls.push({ name, args: converted });
      return behaviour[name] ? behaviour[name](...converted) : undefined;
    };
    if (returns) {
      // The program's getters are also invoked by a plain property read; a read followed
      // by a call is one invocation, as with the real dispatch interface.
      Object.defineProperty(external, name, {
        enumerable: true,
        get() {
          const value = invoke([]);
          const callable = function () { return value; };
          callable.valueOf = () => value;
          callable.toString = () => String(value);
          return callable;
        },
      });
    } else {
      external[name] = function (...args) { return invoke(args); };
    }
  }
  Object.defineProperty(window, "external", { value: external, configurable: true, writable: true });

  // ---- enrolment controls ------------------------------------------------------------------
  const fail = config.enrollFail || "";
  const recorder = (label, methods) => new Proxy({}, {
    set(target, prop, value) {
      mock.enroll.push({ object: label, set: String(prop), value });
      target[prop] = value;
      return true;
    },
    get(target, prop) {
      if (prop in target) return target[prop];
      if (typeof prop !== "string" || !(prop in methods)) return undefined;
      return (...args) => {
        mock.enroll.push({ object: label, call: prop, args });
        return methods[prop](...args);
      };
    },
  });
  const REQUEST = "MIIBmockPKCS10request==";
  const certEnrollObject = (progid) => recorder(progid.replace("X509Enrollment.", ""), {
    InitializeFromPrivateKey() {}, Encode() {}, InitializeFromRequest() {}, Initialize() {},
    CreateRequest() { if (fail === "request") throw new Error("CSP not found"); return REQUEST; },
    InstallResponse() { if (fail === "install") throw new Error("install refused"); },
  });
  const controls = new WeakMap();
  const control = (element) => {
    const classid = (element.getAttribute("classid") || "").toLowerCase();
    let kind = null;
    if (classid === "clsid:884e2049-217d-11da-b2a4-000e7bbb2b09" && config.enroll === "certenroll") kind = "factory";
    if (classid === "clsid:127698e4-e730-4e5c-a2b1-21490a70c8a1" && config.enroll === "xenroll") kind = "xenroll";
    if (!kind) return null;
    if (!controls.has(element)) {
      controls.set(element, kind === "factory"
        ? recorder("factory", { CreateObject: (progid) => certEnrollObject(progid) })
        : recorder("xenroll", {
          createPKCS10() { if (fail === "request") throw new Error("CSP not found"); return REQUEST; },
          acceptPKCS7() { if (fail === "install") throw new Error("install refused"); },
        }));
    }
    return controls.get(element);
  };
  Object.defineProperty(HTMLObjectElement.prototype, "object", {
    configurable: true,
    get() { return control(this); },
  });
  window.ActiveXObject = function (progid) {
    if (progid === "CEnroll.CEnroll.2" && config.enroll === "xenroll") return {};
    throw new Error("Automation server can't create object");
  };

  // ---- an engine without what old Internet Explorer lacks ------------------------------------
  // The page's own scripts (anything loaded from the page's origin, jQuery included) find
  // these APIs missing, as in Internet Explorer 8 and older; the test machinery, which
  // runs in the same window, still has them.
  if (config.legacy) {
    const origin = location.origin;
    const fromPage = () => {
      const frames = String(new Error().stack).split("\n");
      return frames.length > 3 && frames[3].indexOf(origin) >= 0;
    };
    const hide = (owner, name) => {
      const real = owner[name];
      Object.defineProperty(owner, name, {
        configurable: true,
        get() { return fromPage() ? undefined : real; },
        set(value) { Object.defineProperty(owner, name, { value, configurable: true, writable: true }); },
      });
    };
    const realAdd = EventTarget.prototype.addEventListener;
    const realRemove = EventTarget.prototype.removeEventListener;
    const wrappers = new WeakMap();
    const attach = function (type, fn) {
      const target = this;
      let byTarget = wrappers.get(fn);
      if (!byTarget) wrappers.set(fn, byTarget = new Map());
      const wrapper = (event) => {
        window.event = event;
        try { return fn.call(window, event); } finally { window.event = undefined; }
      };
      byTarget.set(target, wrapper);
      realAdd.call(target, type.replace(/^on/, ""), wrapper);
      return true;
    };
    const detach = function (type, fn) {
      const byTarget = wrappers.get(fn);
      if (byTarget && byTarget.has(this)) realRemove.call(this, type.replace(/^on/, ""), byTarget.get(this));
    };
    for (const proto of [Node.prototype, Window.prototype]) {
      Object.defineProperty(proto, "attachEvent", { value: attach, configurable: true });
      Object.defineProperty(proto, "detachEvent", { value: detach, configurable: true });
    }
    hide(EventTarget.prototype, "addEventListener");
    hide(EventTarget.prototype, "removeEventListener");
    for (const name of ["indexOf", "lastIndexOf", "forEach", "map", "filter", "some", "every", "reduce", "reduceRight"]) {
      hide(Array.prototype, name);
    }
    hide(Array, "isArray");
    hide(Function.prototype, "bind");
    hide(String.prototype, "trim");
    hide(Object, "keys");
    hide(Object, "create");
    hide(Date, "now");
    hide(window, "JSON");
    hide(Document.prototype, "querySelectorAll");
    hide(Element.prototype, "querySelectorAll");
    hide(Document.prototype, "getElementsByClassName");
    mock.legacy = true;
  }
}
