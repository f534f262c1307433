/*
 * Internet Explorer 5.5 and 6 draw the alpha channel of PNG pictures as grey. This script
 * (loaded by the page through a conditional comment for those versions only) lets the
 * engine's AlphaImageLoader filter draw every PNG <img> instead: the picture becomes a
 * transparent GIF of the same size whose filter paints the PNG.
 */
var ie6png = (function () {
  var BLANK = "images/blank.gif";

  function isOldIe() {
    return !!window.attachEvent && /MSIE (5\.5|6\.)/.test(navigator.userAgent);
  }

  function isPng(src) {
    return /\.png(\?.*)?$/i.test(src);
  }

  /* Swaps one picture; the src is kept in the filter so that a later swap of the same
     element (a script changing its picture) can be fixed again. */
  function fixImage(img) {
    var src = img.src;
    if (!isPng(src)) {
      return;
    }
    if (!img.style.width && img.width) {
      img.style.width = img.width + "px";
    }
    if (!img.style.height && img.height) {
      img.style.height = img.height + "px";
    }
    img.style.filter = "progid:DXImageTransform.Microsoft.AlphaImageLoader(src='" + src +
      "', sizingMethod='scale')";
    img.src = BLANK;
  }

  /* Every PNG picture inside root (the whole document when root is missing). */
  function fixWithin(root) {
    var images = (root || document).getElementsByTagName("img");
    var i;
    for (i = 0; i < images.length; i++) {
      fixImage(images[i]);
    }
  }

  /* Pictures whose address the page's script changes later (progress, key picture) are
     fixed again when their src changes. */
  function onChange() {
    var e = window.event;
    if (e && e.propertyName === "src" && e.srcElement && isPng(e.srcElement.src)) {
      fixImage(e.srcElement);
    }
  }

  function watchAll() {
    var images = document.getElementsByTagName("img");
    var i;
    for (i = 0; i < images.length; i++) {
      images[i].attachEvent("onpropertychange", onChange);
    }
  }

  var active = isOldIe();
  if (active) {
    window.attachEvent("onload", function () {
      fixWithin(document);
      watchAll();
    });
  }

  return {
    active: active,
    isPng: isPng,
    /* For markup the page's script inserts after load. */
    fixWithin: function (root) {
      if (active) {
        fixWithin(root);
      }
    }
  };
}());
