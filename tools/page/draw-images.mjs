// Draws the page's pictures into resources/page/images/. They are the product's own
// artwork, drawn here with a canvas in headless Chromium (PNG and JPEG) and, for the
// animated busy picture and the transparent spacer that old Internet Explorer needs, with
// a small GIF encoder of our own. Run it after changing a drawing, look at the pictures,
// and commit them; the build only reads the committed files.
//
//   node tools/page/draw-images.mjs
import { chromium } from "playwright-core";
import { writeFileSync } from "node:fs";
import { dirname, join } from "node:path";
import { fileURLToPath } from "node:url";

const outDir = join(dirname(fileURLToPath(import.meta.url)), "../../resources/page/images");

// ---- GIF (LZW) ------------------------------------------------------------------------

function lzw(indices, minCodeSize) {
  const clear = 1 << minCodeSize;
  const end = clear + 1;
  const bytes = [];
  let bitBuffer = 0;
  let bitCount = 0;
  let codeSize = minCodeSize + 1;
  const emit = (code) => {
    bitBuffer |= code << bitCount;
    bitCount += codeSize;
    while (bitCount >= 8) {
      bytes.push(bitBuffer & 0xff);
      bitBuffer >>>= 8;
      bitCount -= 8;
    }
  };
  let dict = new Map();
  let next = end + 1;
  emit(clear);
  let prefix = indices[0];
  for (let i = 1; i < indices.length; i++) {
    const k = indices[i];
    const key = prefix * 4096 + k;
    if (dict.has(key)) {
      prefix = dict.get(key);
      continue;
    }
    emit(prefix);
    if (next < 4096) {
      dict.set(key, next++);
      if (next > 1 << codeSize && codeSize < 12) codeSize++;
    } else {
      emit(clear);
      dict = new Map();
      next = end + 1;
      codeSize = minCodeSize + 1;
    }
    prefix = k;
  }
  emit(prefix);
  emit(end);
  if (bitCount > 0) bytes.push(bitBuffer & 0xff);
  const blocks = [];
  for (let i = 0; i < bytes.length; i += 255) {
    const chunk = bytes.slice(i, i + 255);
    blocks.push(chunk.length, ...chunk);
  }
  blocks.push(0);
  return blocks;
}

// frames: arrays of palette indices; palette: [[r,g,b]...] (padded to a power of two).
function gif(width, height, palette, frames, { delay = 10, transparent = -1, loop = true } = {}) {
  let bits = 1;
  while (1 << bits < palette.length) bits++;
  const size = 1 << bits;
  const out = [...Buffer.from("GIF89a")];
  out.push(width & 0xff, width >> 8, height & 0xff, height >> 8, 0x80 | ((bits - 1) << 4) | (bits - 1), 0, 0);
  for (let i = 0; i < size; i++) out.push(...(palette[i] || [0, 0, 0]));
  if (loop && frames.length > 1) {
    out.push(0x21, 0xff, 11, ...Buffer.from("NETSCAPE2.0"), 3, 1, 0, 0, 0);
  }
  for (const frame of frames) {
    out.push(0x21, 0xf9, 4, transparent >= 0 ? 0x09 : 0x08, delay & 0xff, delay >> 8, Math.max(transparent, 0), 0);
    out.push(0x2c, 0, 0, 0, 0, width & 0xff, width >> 8, height & 0xff, height >> 8, 0);
    const minCode = Math.max(2, bits);
    out.push(minCode, ...lzw(frame, minCode));
  }
  out.push(0x3b);
  return Buffer.from(out);
}

// The busy picture: twelve dots on a ring, the bright one going round.
function spinner() {
  const size = 64;
  const levels = 8;   // coverage steps
  const shades = 8;   // brightness steps along the ring
  const white = [255, 255, 255];
  const palette = [white];
  const dark = [29, 95, 168];
  const light = [200, 218, 240];
  for (let s = 0; s < shades; s++) {
    const t = s / (shades - 1);
    const dot = dark.map((d, i) => Math.round(light[i] + (d - light[i]) * t));
    for (let a = 1; a <= levels; a++) {
      palette.push(white.map((w, i) => Math.round(w + (dot[i] - w) * (a / levels))));
    }
  }
  const frames = [];
  const dots = 12;
  for (let f = 0; f < dots; f++) {
    const frame = new Array(size * size).fill(0);
    for (let d = 0; d < dots; d++) {
      const angle = (d / dots) * Math.PI * 2 - Math.PI / 2;
      const cx = 32 + Math.cos(angle) * 22;
      const cy = 32 + Math.sin(angle) * 22;
      const age = (f - d + dots) % dots;
      const shade = Math.max(0, shades - 1 - age);
      const radius = 4.2;
      for (let y = Math.floor(cy - 6); y <= cy + 6; y++) {
        for (let x = Math.floor(cx - 6); x <= cx + 6; x++) {
          let hits = 0;
          for (let sy = 0; sy < 4; sy++) {
            for (let sx = 0; sx < 4; sx++) {
              const dx = x + (sx + 0.5) / 4 - cx;
              const dy = y + (sy + 0.5) / 4 - cy;
              if (dx * dx + dy * dy <= radius * radius) hits++;
            }
          }
          const a = Math.round((hits / 16) * levels);
          if (a > 0) frame[y * size + x] = 1 + shade * levels + (a - 1);
        }
      }
    }
    frames.push(frame);
  }
  return gif(size, size, palette, frames, { delay: 8, transparent: 0 });
}

// ---- canvas drawings ----------------------------------------------------------------------

// Each entry: file, width, height, and the body of a function (ctx, w, h) run in the page.
const drawings = [
  ["logo.png", 26, 26, `
    ctx.fillStyle = "#ffffff"; ctx.beginPath();
    ctx.moveTo(13, 1); ctx.lineTo(24, 5); ctx.lineTo(24, 13);
    ctx.bezierCurveTo(24, 19, 19, 23, 13, 25); ctx.bezierCurveTo(7, 23, 2, 19, 2, 13);
    ctx.lineTo(2, 5); ctx.closePath(); ctx.fill();
    ctx.fillStyle = "#2a6fbd"; ctx.beginPath();
    ctx.moveTo(13, 4); ctx.lineTo(21.5, 7); ctx.lineTo(21.5, 13);
    ctx.bezierCurveTo(21.5, 17.5, 18, 20.5, 13, 22.3); ctx.bezierCurveTo(8, 20.5, 4.5, 17.5, 4.5, 13);
    ctx.lineTo(4.5, 7); ctx.closePath(); ctx.fill();
    ctx.strokeStyle = "#ffffff"; ctx.lineWidth = 2.4; ctx.lineCap = "round"; ctx.lineJoin = "round";
    ctx.beginPath(); ctx.moveTo(8.5, 13); ctx.lineTo(12, 16.5); ctx.lineTo(18, 9.5); ctx.stroke();`],
  ["btn_menu.png", 46, 11, `
    ctx.fillStyle = "#ffffff"; ctx.font = "bold 10px 'Noto Sans CJK SC', sans-serif"; ctx.textBaseline = "middle";
    ctx.fillText("菜单", 6, 5.5);
    ctx.beginPath(); ctx.moveTo(32, 4); ctx.lineTo(40, 4); ctx.lineTo(36, 8); ctx.closePath(); ctx.fill();`],
  ["btn_min.png", 23, 11, `
    ctx.fillStyle = "#ffffff"; ctx.fillRect(6, 7, 11, 2);`],
  ["btn_close.png", 23, 11, `
    ctx.strokeStyle = "#ffffff"; ctx.lineWidth = 1.8; ctx.lineCap = "round";
    ctx.beginPath(); ctx.moveTo(7.5, 1.5); ctx.lineTo(15.5, 9.5); ctx.moveTo(15.5, 1.5); ctx.lineTo(7.5, 9.5); ctx.stroke();`],
  ["top_bg.png", 4, 38, `
    var g = ctx.createLinearGradient(0, 0, 0, 38); g.addColorStop(0, "#3a86d6"); g.addColorStop(1, "#1b579c");
    ctx.fillStyle = g; ctx.fillRect(0, 0, 4, 38);`],
  ["tab_on.png", 4, 36, `
    ctx.fillStyle = "#ffffff"; ctx.fillRect(0, 0, 4, 36); ctx.fillStyle = "#2a6fbd"; ctx.fillRect(0, 0, 4, 3);`],
  ["btn_bg.png", 4, 28, `
    var g = ctx.createLinearGradient(0, 0, 0, 28); g.addColorStop(0, "#ffffff"); g.addColorStop(1, "#e1eaf5");
    ctx.fillStyle = g; ctx.fillRect(0, 0, 4, 28);`],
  ["btn_primary.png", 4, 28, `
    var g = ctx.createLinearGradient(0, 0, 0, 28); g.addColorStop(0, "#4a92e0"); g.addColorStop(1, "#215fa6");
    ctx.fillStyle = g; ctx.fillRect(0, 0, 4, 28);`],
  ["section.png", 14, 14, `
    ctx.fillStyle = "#2a6fbd"; ctx.fillRect(3, 2, 4, 10); ctx.fillStyle = "#8fb8e6"; ctx.fillRect(8, 2, 3, 10);`],
  ["ok.png", 14, 14, `
    ctx.fillStyle = "#36a041"; ctx.beginPath(); ctx.arc(7, 7, 6.5, 0, Math.PI * 2); ctx.fill();
    ctx.strokeStyle = "#fff"; ctx.lineWidth = 1.8; ctx.lineCap = "round"; ctx.lineJoin = "round";
    ctx.beginPath(); ctx.moveTo(3.8, 7.2); ctx.lineTo(6, 9.4); ctx.lineTo(10.2, 4.8); ctx.stroke();`],
  ["error.png", 14, 14, `
    ctx.fillStyle = "#d23b3b"; ctx.beginPath(); ctx.arc(7, 7, 6.5, 0, Math.PI * 2); ctx.fill();
    ctx.strokeStyle = "#fff"; ctx.lineWidth = 1.8; ctx.lineCap = "round";
    ctx.beginPath(); ctx.moveTo(4.5, 4.5); ctx.lineTo(9.5, 9.5); ctx.moveTo(9.5, 4.5); ctx.lineTo(4.5, 9.5); ctx.stroke();`],
  ["question.png", 14, 14, `
    ctx.fillStyle = "#e59a25"; ctx.beginPath(); ctx.arc(7, 7, 6.5, 0, Math.PI * 2); ctx.fill();
    ctx.fillStyle = "#fff"; ctx.font = "bold 10px sans-serif"; ctx.textAlign = "center"; ctx.textBaseline = "middle";
    ctx.fillText("?", 7, 7.5);`],
  ["done.png", 64, 64, `
    ctx.fillStyle = "#e6f4e7"; ctx.beginPath(); ctx.arc(32, 32, 30, 0, Math.PI * 2); ctx.fill();
    ctx.fillStyle = "#36a041"; ctx.beginPath(); ctx.arc(32, 32, 24, 0, Math.PI * 2); ctx.fill();
    ctx.strokeStyle = "#fff"; ctx.lineWidth = 5; ctx.lineCap = "round"; ctx.lineJoin = "round";
    ctx.beginPath(); ctx.moveTo(21, 33); ctx.lineTo(29, 41); ctx.lineTo(44, 24); ctx.stroke();`],
  ["faq_closed.png", 12, 12, `
    ctx.fillStyle = "#2a6fbd"; ctx.beginPath(); ctx.moveTo(3, 1.5); ctx.lineTo(9.5, 6); ctx.lineTo(3, 10.5); ctx.closePath(); ctx.fill();`],
  ["faq_open.png", 12, 12, `
    ctx.fillStyle = "#e07f12"; ctx.beginPath(); ctx.moveTo(1.5, 3); ctx.lineTo(10.5, 3); ctx.lineTo(6, 9.5); ctx.closePath(); ctx.fill();`],
];

// Tab icons: a white rounded square with a simple blue glyph.
const tabIcon = (glyph) => `
  ctx.fillStyle = "#2a6fbd"; ctx.beginPath();
  ctx.moveTo(4, 1); ctx.lineTo(16, 1); ctx.quadraticCurveTo(19, 1, 19, 4); ctx.lineTo(19, 16);
  ctx.quadraticCurveTo(19, 19, 16, 19); ctx.lineTo(4, 19); ctx.quadraticCurveTo(1, 19, 1, 16);
  ctx.lineTo(1, 4); ctx.quadraticCurveTo(1, 1, 4, 1); ctx.fill();
  ctx.strokeStyle = "#fff"; ctx.fillStyle = "#fff"; ctx.lineWidth = 1.6; ctx.lineCap = "round"; ctx.lineJoin = "round";
  ${glyph}`;
drawings.push(
  ["tab_check.png", 20, 20, tabIcon(`ctx.beginPath(); ctx.arc(9, 9, 4.5, 0, Math.PI * 2); ctx.stroke();
    ctx.beginPath(); ctx.moveTo(12.3, 12.3); ctx.lineTo(15.5, 15.5); ctx.stroke();`)],
  ["tab_detail.png", 20, 20, tabIcon(`ctx.beginPath(); for (var y = 6; y <= 14; y += 4) { ctx.moveTo(5, y); ctx.lineTo(6, y); ctx.moveTo(8.5, y); ctx.lineTo(15, y); } ctx.stroke();`)],
  ["tab_ctrl.png", 20, 20, tabIcon(`ctx.beginPath(); ctx.arc(10, 10, 3, 0, Math.PI * 2); ctx.stroke();
    for (var i = 0; i < 8; i++) { var a = i * Math.PI / 4; ctx.beginPath(); ctx.moveTo(10 + Math.cos(a) * 4.6, 10 + Math.sin(a) * 4.6); ctx.lineTo(10 + Math.cos(a) * 6.6, 10 + Math.sin(a) * 6.6); ctx.stroke(); }`)],
  ["tab_faq.png", 20, 20, tabIcon(`ctx.font = "bold 13px sans-serif"; ctx.textAlign = "center"; ctx.textBaseline = "middle"; ctx.fillText("?", 10, 10.5);`)],
  ["tab_link.png", 20, 20, tabIcon(`ctx.beginPath(); ctx.arc(8, 12, 3, Math.PI * 0.25, Math.PI * 1.75); ctx.stroke();
    ctx.beginPath(); ctx.arc(12, 8, 3, Math.PI * 1.25, Math.PI * 0.75); ctx.stroke();
    ctx.beginPath(); ctx.moveTo(8.5, 11.5); ctx.lineTo(11.5, 8.5); ctx.stroke();`)],
);

// Large round icons for quick links, the about box and the wizard.
const roundIcon = (size, colour, glyph) => `
  var r = ${size} / 2;
  var g = ctx.createLinearGradient(0, 0, 0, ${size}); g.addColorStop(0, "${colour[0]}"); g.addColorStop(1, "${colour[1]}");
  ctx.fillStyle = g; ctx.beginPath(); ctx.arc(r, r, r - 1, 0, Math.PI * 2); ctx.fill();
  ctx.strokeStyle = "#fff"; ctx.fillStyle = "#fff"; ctx.lineCap = "round"; ctx.lineJoin = "round";
  var s = ${size} / 48; ctx.scale(s, s); ctx.lineWidth = 2.6;
  ${glyph}`;
const person = `ctx.beginPath(); ctx.arc(24, 18, 6, 0, Math.PI * 2); ctx.fill();
  ctx.beginPath(); ctx.moveTo(13, 36); ctx.quadraticCurveTo(24, 20, 35, 36); ctx.closePath(); ctx.fill();`;
const building = `ctx.fillRect(15, 14, 18, 22); ctx.fillStyle = "#2c8a72";
  for (var y = 17; y < 32; y += 5) { ctx.fillRect(18, y, 4, 3); ctx.fillRect(26, y, 4, 3); }`;
const certificate = `ctx.fillRect(12, 13, 24, 17); ctx.fillStyle = "#c9792a"; ctx.fillRect(15, 17, 12, 2); ctx.fillRect(15, 21, 9, 2);
  ctx.fillStyle = "#fff"; ctx.beginPath(); ctx.arc(31, 31, 5, 0, Math.PI * 2); ctx.fill();
  ctx.beginPath(); ctx.moveTo(28, 34); ctx.lineTo(27, 40); ctx.lineTo(31, 37); ctx.lineTo(35, 40); ctx.lineTo(34, 34); ctx.fill();`;
const shield = `ctx.beginPath(); ctx.moveTo(24, 9); ctx.lineTo(36, 14); ctx.lineTo(36, 23); ctx.bezierCurveTo(36, 31, 30, 36, 24, 39);
  ctx.bezierCurveTo(18, 36, 12, 31, 12, 23); ctx.lineTo(12, 14); ctx.closePath(); ctx.fill();
  ctx.strokeStyle = "#2a6fbd"; ctx.lineWidth = 3.2; ctx.beginPath(); ctx.moveTo(18, 24); ctx.lineTo(22.5, 28.5); ctx.lineTo(30.5, 19); ctx.stroke();`;
const usbQuestion = `ctx.fillRect(20, 8, 8, 8); ctx.fillRect(17, 16, 14, 24);
  ctx.fillStyle = "#3580d0"; ctx.fillRect(22, 10, 1.5, 3); ctx.fillRect(24.5, 10, 1.5, 3);
  ctx.font = "bold 12px sans-serif"; ctx.textAlign = "center"; ctx.fillText("?", 24, 33);`;
drawings.push(
  ["link_personal.png", 48, 48, roundIcon(48, ["#4a98e8", "#1f62b0"], person)],
  ["link_corporate.png", 48, 48, roundIcon(48, ["#43b596", "#2c8a72"], building)],
  ["link_cert.png", 48, 48, roundIcon(48, ["#f0aa4e", "#c9792a"], certificate)],
  ["about.png", 96, 96, roundIcon(96, ["#4a98e8", "#1f62b0"], shield)],
  ["wizard.png", 64, 64, roundIcon(64, ["#4a98e8", "#1f62b0"], usbQuestion)],
);

// USB keys, one per kind: body colour and a Bluetooth mark for the wireless ones.
const usbKey = (body, accent, bluetooth, label) => `
  ctx.fillStyle = "#ffffff"; ctx.fillRect(0, 0, 72, 36);
  ctx.fillStyle = "#c6ccd4"; ctx.fillRect(2, 12, 14, 12); ctx.fillStyle = "#8d96a3"; ctx.fillRect(5, 15, 3, 2); ctx.fillRect(5, 19, 3, 2);
  var g = ctx.createLinearGradient(0, 6, 0, 30); g.addColorStop(0, "${body[0]}"); g.addColorStop(1, "${body[1]}");
  ctx.fillStyle = g; ctx.beginPath(); ctx.moveTo(20, 7); ctx.lineTo(62, 7); ctx.quadraticCurveTo(70, 7, 70, 18);
  ctx.quadraticCurveTo(70, 29, 62, 29); ctx.lineTo(20, 29); ctx.quadraticCurveTo(15, 29, 15, 24); ctx.lineTo(15, 12);
  ctx.quadraticCurveTo(15, 7, 20, 7); ctx.fill();
  ctx.fillStyle = "${accent}"; ctx.beginPath(); ctx.arc(60, 18, 4, 0, Math.PI * 2); ctx.fill();
  ctx.fillStyle = "#ffffff"; ctx.font = "bold 9px sans-serif"; ctx.textBaseline = "middle"; ctx.fillText("${label}", 22, 18.5);
  ${bluetooth ? `ctx.strokeStyle = "#ffffff"; ctx.lineWidth = 1.2; ctx.beginPath();
    ctx.moveTo(57.5, 15.5); ctx.lineTo(62.5, 20.5); ctx.lineTo(60, 23); ctx.lineTo(60, 13); ctx.lineTo(62.5, 15.5); ctx.lineTo(57.5, 20.5); ctx.stroke();` : ""}`;
drawings.push(
  ["usb.jpg", 72, 36, usbKey(["#3d8ee0", "#1d5fa8"], "#ffd24a", false, "KEY")],
  ["usb1.jpg", 72, 36, usbKey(["#4bb8a6", "#1f7f70"], "#1b5f9e", true, "KEY")],
  ["usb2.jpg", 72, 36, usbKey(["#e07a4a", "#b24d22"], "#1b5f9e", true, "KEY")],
);

const browser = await chromium.launch({
  executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
  args: ["--no-sandbox", "--disable-gpu"],
});
try {
  const page = await browser.newPage();
  for (const [file, width, height, body] of drawings) {
    const jpeg = file.endsWith(".jpg");
    const url = await page.evaluate(({ width, height, body, jpeg }) => {
      const canvas = document.createElement("canvas");
      canvas.width = width;
      canvas.height = height;
      const ctx = canvas.getContext("2d");
      new Function("ctx", "w", "h", body)(ctx, width, height);
      return canvas.toDataURL(jpeg ? "image/jpeg" : "image/png", 0.9);
    }, { width, height, body, jpeg });
    writeFileSync(join(outDir, file), Buffer.from(url.split(",")[1], "base64"));
  }
} finally {
  await browser.close();
}
writeFileSync(join(outDir, "loading.gif"), spinner());
writeFileSync(join(outDir, "blank.gif"), gif(1, 1, [[255, 255, 255], [0, 0, 0]], [[0]], { transparent: 0 }));
console.log(`drew ${drawings.length + 2} pictures into ${outDir}`);
