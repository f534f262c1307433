// The ECMAScript 3 check must reject what breaks old Internet Explorer engines and let
// the guarded and jQuery forms through; otherwise it would pass the page for nothing.
import { test } from "node:test";
import assert from "node:assert/strict";
import { checkSource, inlineScripts } from "./es3-check.mjs";

const rejects = (source, why) => assert.notDeepEqual(checkSource(source), [], `${why} passed: ${source}`);
const accepts = (source) => assert.deepEqual(checkSource(source), [], source);

test("rejects syntax newer than ECMAScript 3", () => {
  rejects("let a = 1;", "let");
  rejects("const a = 1;", "const");
  rejects("var f = (a) => a;", "arrow function");
  rejects("var o = { a: 1, };", "trailing comma in an object");
  rejects("var a = [1, 2,];", "trailing comma in an array");
  rejects("var a = [1, , 2];", "array hole");
  rejects("var s = `x`;", "template literal");
  rejects("x.class = 1;", "reserved word as a property name");
  rejects("var o = { default: 1 };", "reserved word as a key");
  rejects("var o = { get a() { return 1; } };", "getter");
});

test("rejects APIs old engines lack unless guarded", () => {
  rejects("var s = JSON.stringify(a);", "JSON");
  rejects("el.addEventListener('click', f, false);", "addEventListener without fallback");
  rejects("var i = list.indexOf(3);", "indexOf on a possible array");
  rejects("list.forEach(function (x) {});", "forEach");
  rejects("var g = f.bind(this);", "bind");
  rejects("var t = s.trim();", "trim");
  rejects("var k = Object.keys(o);", "Object.keys");
  rejects("var n = document.querySelectorAll('a');", "querySelectorAll");
  accepts("if (el.addEventListener) { el.addEventListener('click', f, false); } else { el.attachEvent('onclick', f); }");
  accepts("var p = window.JSON ? JSON.parse(t) : null;");
  accepts("var i = String(x).indexOf('a'); var j = text.indexOf('b');");
  accepts("var t = jQuery.trim(s); $('a').filter('.x').map(function () {});");
  accepts("img.style.filter = 'alpha(opacity=50)';");
});

test("finds inline scripts and event handler attributes of a page", () => {
  const units = inlineScripts('<script src="a.js"></script>\n<script>let x;</script>\n<a onclick="f(a,);">', "p.html");
  assert.deepEqual(units.map((u) => u.label), ["p.html inline script at line 2", "p.html handler at line 3"]);
  assert.notDeepEqual(checkSource(units[0].source), []);
  assert.notDeepEqual(checkSource(units[1].source), []);
});
