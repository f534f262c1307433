// The development bridge's script, loaded by TessalyBridge.exe ahead of the page's own.
// It gives the page its `external` object and carries the program's page function calls
// to the page, the way the browser control inside Tessaly.exe does:
//  - every member read of `external` asks the program first, as a script engine does; a
//    getter answers its value there (`external.getFirst == 1`, and `external.getFirst()`
//    is that same one call), any other member is remembered as a method;
//  - a method call goes to the program synchronously and returns when the program has run
//    it; a refusal (unknown name, wrong count, an argument that does not convert) throws;
//  - the page functions the program called meanwhile arrive with the answer and are run
//    before the call returns; those it calls from its timers arrive with a poll every
//    100 ms. Every exchange is synchronous and the calls run one after the other, so the
//    page sees them in the order the program made them.
// A page function that fails is reported as the page's error and the rest still run.
(function () {
  "use strict";
  var base = location.pathname.replace(/[^\/]*$/, "");
  var stopped = false;
  // The page function calls run so far, newest last, for a developer's console and the
  // browser tests; the oldest go past a few thousand.
  var delivered = [];
  window.__bridge = { delivered: delivered };

  function exchange(path, body) {
    var request = new XMLHttpRequest();
    request.open("POST", base + path, false);
    request.setRequestHeader("Content-Type", "application/x-www-form-urlencoded");
    request.send(body);
    var lines = String(request.responseText || "").split("\n");
    var answer = lines[0] ? JSON.parse(lines[0]) : { error: "no answer (" + request.status + ")" };
    for (var i = 1; i < lines.length; i++) {
      if (lines[i]) pending.push(JSON.parse(lines[i]));
    }
    deliver();
    return answer;
  }

  // A page function run from here may call the program again (setUserTypeUI reads
  // getusertype), and that answer may carry calls the program made later, from a timer
  // that fired meanwhile. They wait behind the ones still to run, so the page sees every
  // call in the order the program made it.
  var pending = [];
  var delivering = false;
  function deliver() {
    if (delivering) return;
    delivering = true;
    try {
      while (pending.length) run(pending.shift());
    } finally {
      delivering = false;
    }
  }

  function run(call) {
    var target = window[call.fn];
    delivered.push(call);
    if (delivered.length > 5000) delivered.shift();
    if (typeof target !== "function") return;
    try {
      target.apply(window, call.args);
    } catch (error) {
      setTimeout(function () { throw error; }, 0);
    }
  }

  function encode(value) {
    switch (typeof value) {
      case "undefined": return "u";
      case "boolean": return value ? "b1" : "b0";
      case "number": return "n" + String(value);
      case "string": return "s" + value;
      default: return value === null ? "z" : "o";
    }
  }

  function call(name, args, propertyRead) {
    var body = "m=" + encodeURIComponent(name) + (propertyRead ? "&r=1" : "");
    for (var i = 0; i < args.length; i++) body += "&a=" + encodeURIComponent(encode(args[i]));
    var answer = exchange("call", body);
    if (answer.error) throw new Error("external." + name + ": " + answer.error);
    return answer.result;
  }

  var methods = {};
  function member(name) {
    if (!methods[name]) {
      try {
        var value = call(name, [], true);
        var getter = function () { return value; };
        getter.valueOf = function () { return value; };
        getter.toString = function () { return String(value); };
        return getter;
      } catch (notAProperty) {
        methods[name] = true;
      }
    }
    return function () { return call(name, Array.prototype.slice.call(arguments), false); };
  }

  var external = new Proxy({}, {
    get: function (target, name) {
      return typeof name === "string" && name !== "then" ? member(name) : undefined;
    },
  });
  Object.defineProperty(window, "external", { value: external, configurable: true, writable: true });

  function poll() {
    if (stopped) return;
    try {
      exchange("events", "");
    } catch (gone) {
      stopped = true;  // the program has ended
    }
  }
  window.addEventListener("load", function () {
    // After the page's own load handlers, as the browser control reports completion.
    setTimeout(function () {
      exchange("loaded", "");
      setInterval(poll, 100);
    }, 0);
  });
})();
