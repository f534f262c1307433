// Checks that the page's scripts run on the old Internet Explorer engines of the Windows
// browser control: they must parse as ECMAScript 3 (acorn, reserved words not even as
// property names) and must not use what those engines lack unless the use is guarded.
//
//   node tests/page/es3-check.mjs [files...]   (default: the page's scripts and inline code)
// Prints one line per checked unit and "es3: N passed, N failed"; exits 1 on any problem.
import * as acorn from "acorn";
import * as walk from "acorn-walk";
import { readFileSync, readdirSync } from "node:fs";
import { join, dirname, basename } from "node:path";
import { fileURLToPath } from "node:url";

const pageDir = join(dirname(fileURLToPath(import.meta.url)), "../../resources/page");

// Methods old engines lack. jQuery offers several under the same names (filter, map,
// trim, ...), so a call on a jQuery chain is fine.
const ES5_METHODS = new Set(["forEach", "map", "filter", "reduce", "reduceRight", "some", "every",
  "bind", "trim", "keys", "create", "isArray", "now", "getPrototypeOf", "defineProperty", "freeze"]);
const DOM_MISSING = new Set(["querySelector", "querySelectorAll", "getElementsByClassName", "textContent",
  "classList", "dataset"]);
const GUARDED_ONLY = new Set(["addEventListener", "removeEventListener"]);
const GLOBALS_MISSING = new Set(["JSON", "Promise", "Map", "Set", "WeakMap", "Symbol"]);
// indexOf exists on strings in ECMAScript 3 but not on arrays: the receiver must be
// visibly a string.
const STRINGY_NAME = /(text|html|answer|str|label|src|url|agent|name)$/i;

function rootIdentifier(node) {
  while (node) {
    if (node.type === "Identifier") return node.name;
    if (node.type === "MemberExpression") node = node.object;
    else if (node.type === "CallExpression") node = node.callee;
    else return null;
  }
  return null;
}

function isStringy(node) {
  if (node.type === "Literal" && typeof node.value === "string") return true;
  if (node.type === "CallExpression" && node.callee.type === "Identifier" && node.callee.name === "String") return true;
  if (node.type === "Identifier") return STRINGY_NAME.test(node.name);
  return false;
}

// Whether the node sits in the test or a branch of a condition that names the API.
function guarded(ancestors, name) {
  for (const node of ancestors) {
    const test = node.type === "IfStatement" || node.type === "ConditionalExpression" ? node.test
      : node.type === "LogicalExpression" ? node.left : null;
    if (test && JSON.stringify(test).includes(`"${name}"`)) return true;
  }
  return false;
}

export function checkSource(source, label = "script") {
  const problems = [];
  let ast;
  try {
    ast = acorn.parse(source, { ecmaVersion: 3, sourceType: "script", allowReserved: "never", locations: true });
  } catch (error) {
    return [`${label}: not ECMAScript 3: ${error.message}`];
  }
  const at = (node, what) => problems.push(`${label}:${node.loc.start.line}: ${what}`);
  walk.ancestor(ast, {
    ArrayExpression(node) {
      if (node.elements.some((e) => e === null)) at(node, "array hole (old engines count it differently)");
      const tail = source.slice(node.elements.length ? node.elements[node.elements.length - 1].end : node.start + 1, node.end);
      if (/^\s*,\s*\]$/.test(tail)) at(node, "trailing comma in an array literal (old engines add an element)");
    },
    MemberExpression(node, ancestors) {
      if (node.computed || node.property.type !== "Identifier") return;
      const name = node.property.name;
      const root = rootIdentifier(node.object);
      const onJquery = root === "jQuery" || root === "$";
      const parent = ancestors[ancestors.length - 2];
      const called = parent && parent.type === "CallExpression" && parent.callee === node;
      if (ES5_METHODS.has(name) && called && !onJquery && !guarded(ancestors, name)) at(node, `${name} is missing in old engines`);
      if (DOM_MISSING.has(name) && !guarded(ancestors, name)) at(node, `${name} is missing in old engines`);
      if (GUARDED_ONLY.has(name) && !guarded(ancestors, name)) at(node, `${name} without an attachEvent fallback`);
      if ((name === "indexOf" || name === "lastIndexOf") && !isStringy(node.object) && !onJquery) {
        at(node, `${name} on something not visibly a string (arrays lack it in old engines)`);
      }
    },
    Identifier(node, ancestors) {
      if (!GLOBALS_MISSING.has(node.name)) return;
      const parent = ancestors[ancestors.length - 2];
      const isKey = parent && ((parent.type === "MemberExpression" && parent.property === node && !parent.computed) ||
        (parent.type === "Property" && parent.key === node));
      if (!isKey && !guarded(ancestors, node.name) && !(parent && parent.type === "UnaryExpression" && parent.operator === "typeof")) {
        at(node, `${node.name} is missing in old engines`);
      }
    },
  });
  return problems;
}

// Inline code of an HTML page: <script> bodies without src and on... attributes.
export function inlineScripts(html, label) {
  const units = [];
  const scriptPattern = /<script\b([^>]*)>([\s\S]*?)<\/script>/gi;
  let match;
  while ((match = scriptPattern.exec(html))) {
    if (!/\bsrc\s*=/.test(match[1])) {
      units.push({ label: `${label} inline script at line ${html.slice(0, match.index).split("\n").length}`, source: match[2] });
    }
  }
  const handlerPattern = /\son[a-z]+\s*=\s*"([^"]*)"/gi;
  while ((match = handlerPattern.exec(html))) {
    units.push({ label: `${label} handler at line ${html.slice(0, match.index).split("\n").length}`,
      source: `(function () { ${match[1]} });` });
  }
  return units;
}

export function pageUnits() {
  const units = [];
  for (const file of readdirSync(join(pageDir, "js")).sort()) {
    if (!file.endsWith(".js") || file === "jquery.min.js") continue;
    units.push({ label: `js/${file}`, source: readFileSync(join(pageDir, "js", file), "utf8") });
  }
  for (const file of readdirSync(pageDir).sort()) {
    if (file.endsWith(".html")) units.push(...inlineScripts(readFileSync(join(pageDir, file), "utf8"), file));
  }
  return units;
}

if (process.argv[1] && basename(process.argv[1]) === "es3-check.mjs") {
  const files = process.argv.slice(2);
  const units = files.length
    ? files.map((f) => ({ label: f, source: readFileSync(f, "utf8") }))
    : pageUnits();
  let passed = 0;
  let failed = 0;
  for (const unit of units) {
    const problems = checkSource(unit.source, unit.label);
    if (problems.length) {
      failed++;
      console.log(`not ok - ${unit.label}`);
      for (const p of problems) console.log(`    ${p}`);
    } else {
      passed++;
      console.log(`ok - ${unit.label}`);
    }
  }
  console.log(`es3: ${passed} passed, ${failed} failed`);
  process.exitCode = failed || units.length === 0 ? 1 : 0;
}
