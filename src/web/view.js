// The strip on the canvas: only the part on screen is asked of the core and
// drawn, so the width of a strip is no limit; the scroller's spacer gives the
// scroll bar the whole width.

// The widest an element may be laid out; past it a zoom is not offered.
const MAX_CONTENT = 16_777_216;

export class StripView {
  // display: the core's zoom steps and the colours of the strip's marks.
  constructor(page, display, scroller, spacer, canvas) {
    Object.assign(this, { page, scroller, spacer, canvas });
    this.zooms = display.zoomSteps;
    this.marks = { boundary: display.boundaryColor, frame: display.frameColor, guide: display.guideColor };
    this.zoom = 1;
    this.boundaries = false;
    this.selected = [];  // { begin, end } of each selected glyph, left to right
    this.guides = [];  // rows along whose top edges View > Guides draws its lines
    this.width = 0;
    this.height = 0;
    this.pending = false;
    scroller.addEventListener('scroll', () => this.redraw());
    new ResizeObserver(() => this.redraw()).observe(scroller);
  }

  // A new picture of the page's font (opened, or drawn through a new palette).
  setPicture() {
    this.width = this.page.width();
    this.height = this.page.height();
    this.boundaryXs = this.page.boundaries();
    while (!this.zoomFits(this.zoom)) this.zoom = this.zooms[this.zooms.indexOf(this.zoom) - 1];
    this.layout();
  }

  zoomFits(factor) {
    return this.width * factor <= MAX_CONTENT && this.height * factor <= MAX_CONTENT;
  }

  // The next factor up or down from the present one that fits, or 0.
  nextZoom(direction) {
    const i = this.zooms.indexOf(this.zoom);
    if (direction < 0) return i > 0 ? this.zooms[i - 1] : 0;
    const next = this.zooms[i + 1];
    return next && this.zoomFits(next) ? next : 0;
  }

  // Zooms so that the strip column at view x AnchorX stays where it is.
  setZoom(factor, anchorX = 0) {
    if (!this.zoomFits(factor) || factor === this.zoom) return;
    const column = Math.floor((this.scroller.scrollLeft + anchorX) / this.zoom);
    const row = Math.floor(this.scroller.scrollTop / this.zoom);
    this.zoom = factor;
    this.layout();
    this.scroller.scrollLeft = Math.max(0, column * factor - anchorX);
    this.scroller.scrollTop = row * factor;
    this.redraw();
  }

  layout() {
    this.spacer.style.width = `${Math.max(1, this.width * this.zoom)}px`;
    this.spacer.style.height = `${Math.max(1, this.height * this.zoom)}px`;
    this.redraw();
  }

  // Scrolls so that the strip's column X is at the left edge (clamped at the end).
  scrollToX(x) {
    const last = Math.max(0, this.width * this.zoom - this.scroller.clientWidth);
    const to = Math.min(Math.max(0, x * this.zoom), last), was = this.scroller.scrollLeft;
    this.scroller.scrollLeft = to;
    if (this.scroller.scrollLeft !== was) this.redraw();
  }

  setBoundaries(shown) { this.boundaries = shown; this.redraw(); }
  // The guides' rows (the strip's height: along its last row's bottom edge).
  setGuides(rows) {
    if (rows.join() === this.guides.join()) return;
    this.guides = rows;
    this.redraw();
  }
  // The selected glyphs: the one framed with the boundaries, several always.
  setSelected(extents) {
    const same = (a, b) => a.length === b.length && a.every((e, i) => e.begin === b[i].begin && e.end === b[i].end);
    if (same(extents, this.selected)) return;
    this.selected = extents;
    this.redraw();
  }
  // The pixel selection's frame, [left, top, right, bottom] in strip pixels, or null.
  setFrame(frame) {
    if (String(frame) === String(this.frame ?? null)) return;
    // Where the old frame and the new one are: a block moved by a key draws
    // no more than the block.
    const rects = [this.frame, frame].filter(Boolean);
    this.frame = frame;
    if (rects.length) this.redrawArea(rects.reduce(union));
  }

  // Pixels that only moved: [left, top, right, bottom] where they were, the
  // move's dx, dy, then the parts that changed, four numbers each. Their
  // picture as the canvas shows it, with the frame along their edge, is
  // lifted onto a canvas of its own over the view and moved there, and only
  // what they left is drawn from the core. False, with nothing drawn, where
  // that would be wrong: something drawn over them or waiting to be drawn,
  // or a place not whole in view.
  moveShown(shift) {
    const [l, t, r, b, dx, dy] = shift, from = [l, t, r, b], to = [l + dx, t + dy, r + dx, b + dy];
    // The view's place as last drawn: a scroll or a resize since is a draw
    // pending. Asking the page again would lay it out again.
    const { canvas, box, zoom: z } = this;
    if (this.pending || !box || !sameRect(from, this.frame) || this.boundaries || this.selected.length > 1 ||
        this.guides.length) return false;
    const { left, top } = box;
    const whole = (r) => r[0] * z >= left && r[1] * z >= top && r[2] * z - left <= canvas.width && r[3] * z - top <= canvas.height;
    if (!whole(from) || !whole(to)) return false;
    this.lifted ??= { picture: Object.assign(document.createElement('canvas'), { className: 'lifted', hidden: true }), at: null };
    const { picture } = this.lifted;
    if (!sameRect(this.lifted.at, from)) {
      const w = (from[2] - from[0]) * z, h = (from[3] - from[1]) * z;
      picture.width = w, picture.height = h;
      picture.getContext('2d').drawImage(canvas, from[0] * z - left, from[1] * z - top, w, h, 0, 0, w, h);
      if (!picture.isConnected) canvas.after(picture);
      picture.hidden = false;
    }
    // The canvas under the picture is left as it was until it goes.
    this.lifted.at = to;
    picture.style.transform = `translate(${to[0] * z - left}px, ${to[1] * z - top}px)`;
    this.frame = to;
    const ctx = canvas.getContext('2d');
    for (let i = 6; i + 4 <= shift.length; i += 4)
      for (const part of minus(shift.subarray(i, i + 4), to)) this.drawArea(ctx, part);
    return true;
  }

  // The strip pixel at a point of the page, which may lie off the strip.
  pointAt(clientX, clientY) {
    const r = this.scroller.getBoundingClientRect();
    return {
      x: Math.floor((clientX - r.left + this.scroller.scrollLeft) / this.zoom),
      y: Math.floor((clientY - r.top + this.scroller.scrollTop) / this.zoom),
    };
  }

  // The same, or null off the strip.
  pixelAt(clientX, clientY) {
    const { x, y } = this.pointAt(clientX, clientY);
    return x >= 0 && y >= 0 && x < this.width && y < this.height ? { x, y } : null;
  }

  redraw() {
    this.dirty = null;
    this.schedule();
  }

  // Only strip pixels Area [left, top, right, bottom] changed: only they are
  // drawn again, with what else changed before the frame, as one rectangle:
  // each part drawn alone costs a call into the core and the canvas.
  redrawArea(area) {
    if (!this.pending) this.dirty = area.slice();
    else if (this.dirty) this.dirty = union(this.dirty, area);
    this.schedule();
  }

  schedule() {
    if (this.pending) return;
    this.pending = true;
    requestAnimationFrame(() => this.flush());
  }

  // What is pending drawn now.
  flush() {
    if (!this.pending) return;
    this.pending = false;
    this.draw(this.dirty ?? undefined);
  }

  // Drawn at once, for whoever must see the pixels now (tests, downloads);
  // with Area only those strip pixels.
  draw(area) {
    const { canvas, scroller, zoom: z } = this;
    const w = scroller.clientWidth, h = scroller.clientHeight;
    if (canvas.width !== w || canvas.height !== h) {
      canvas.width = w;
      canvas.height = h;
      canvas.style.width = `${w}px`;
      canvas.style.height = `${h}px`;
      area = undefined;  // a canvas resized is blank
    }
    const ctx = canvas.getContext('2d');
    ctx.imageSmoothingEnabled = false;
    if (this.lifted?.at) {
      // The moved pixels' picture goes; the canvas under it is drawn again.
      if (area) area = union(area, this.lifted.at);
      this.lifted.at = null;
      this.lifted.picture.hidden = true;
    }
    const left = scroller.scrollLeft, top = scroller.scrollTop;
    this.box = { w, h, left, top };
    if (area && this.page.hasFont()) return this.drawArea(ctx, area);
    const sx = Math.floor(left / z), sy = Math.floor(top / z);
    const sw = Math.min(this.width - sx, Math.ceil((left + w) / z) - sx);
    const sh = Math.min(this.height - sy, Math.ceil((top + h) / z) - sy);
    ctx.fillStyle = '#000';
    if (!this.page.hasFont() || this.width <= 0 || this.height <= 0 || sw <= 0 || sh <= 0) {
      ctx.fillRect(0, 0, w, h);
      return;
    }
    // Black only where the strip is not: its pixels replace what is under them.
    const x0 = sx * z - left, y0 = sy * z - top, x1 = x0 + sw * z, y1 = y0 + sh * z;
    ctx.fillRect(0, 0, w, Math.max(0, y0));
    ctx.fillRect(0, y1, w, h - y1);
    ctx.fillRect(0, y0, Math.max(0, x0), y1 - y0);
    ctx.fillRect(x1, y0, w - x1, y1 - y0);
    this.drawPart(ctx, sx, sy, sw, sh, w, h);
  }

  // The part of strip pixels Area in view, the rest of the canvas as it is.
  drawArea(ctx, area) {
    const { box: { w, h, left, top }, zoom: z } = this;
    const sx = Math.max(Math.floor(left / z), area[0]), sy = Math.max(Math.floor(top / z), area[1]);
    const sw = Math.min(this.width, Math.ceil((left + w) / z), area[2]) - sx;
    const sh = Math.min(this.height, Math.ceil((top + h) / z), area[3]) - sy;
    if (sw <= 0 || sh <= 0) return;
    // The pixels replace what is there without a clip; the marks over them need one.
    const marked = this.boundaries || this.selected.length > 1 || this.guides.length || this.frameMeets(sx, sy, sw, sh);
    if (!marked) return this.drawPart(ctx, sx, sy, sw, sh, w, h);
    ctx.save();
    ctx.beginPath();
    ctx.rect(sx * z - left, sy * z - top, sw * z, sh * z);
    ctx.clip();
    this.drawPart(ctx, sx, sy, sw, sh, w, h);
    ctx.restore();
  }

  // Whether the pixel selection's frame lies over strip pixels Sx, Sy, Sw x Sh.
  frameMeets(sx, sy, sw, sh) {
    const f = this.frame;
    return !!f && f[0] < sx + sw && f[2] > sx && f[1] < sy + sh && f[3] > sy;
  }

  // Strip pixels Sx, Sy, Sw x Sh and the marks over them, on a view W x H.
  drawPart(ctx, sx, sy, sw, sh, w, h) {
    const { box: { left, top }, zoom: z } = this;
    const rgba = this.page.pixels(sx, sy, sw, sh, true, z);
    if (!rgba) return;
    // Zoomed by the core; put in place as they are, which is the clip's
    // rectangle when only a part is drawn.
    const dx = sx * z - left, dy = sy * z - top;
    ctx.putImageData(new ImageData(new Uint8ClampedArray(rgba.buffer, rgba.byteOffset, rgba.length), sw * z, sh * z), dx, dy);
    if (this.boundaries || this.selected.length > 1) this.drawMarks(ctx, dx - sx * z, dy - sy * z, sx, sx + sw);
    if (this.frameMeets(sx, sy, sw, sh)) {
      // Dashes of black on white along the selected pixels' inner edge.
      const [l, t, r, b] = this.frame, ox = dx - sx * z, oy = dy - sy * z;
      const box = [ox + l * z + 0.5, oy + t * z + 0.5, (r - l) * z - 1, (b - t) * z - 1];
      ctx.lineWidth = 1;
      ctx.setLineDash([]);
      ctx.strokeStyle = '#fff';
      ctx.strokeRect(...box);
      ctx.setLineDash([4, 4]);
      ctx.strokeStyle = '#000';
      ctx.strokeRect(...box);
      ctx.setLineDash([]);
    }
    // The guides over everything, one device pixel high, across the strip in view.
    ctx.fillStyle = this.marks.guide;
    const right = Math.min(w, (this.width - sx) * z + dx);
    for (const row of this.guides) {
      const y = dy - sy * z + Math.min(row * z, this.height * z - 1);
      if (row >= 0 && row <= this.height && y >= 0 && y < h) ctx.fillRect(0, y, Math.max(0, right), 1);
    }
  }

  // One device pixel at every boundary in view, then the selected glyphs' frames.
  drawMarks(ctx, originX, originY, first, last) {
    const z = this.zoom, bottom = originY + this.height * z;
    ctx.fillStyle = this.marks.boundary;
    if (this.boundaries) {
      for (const x of this.boundaryXs)
        if (x >= first && x <= last) ctx.fillRect(originX + x * z, originY, 1, bottom - originY);
    }
    ctx.strokeStyle = this.marks.frame;
    ctx.lineWidth = 1;
    for (const s of this.selected) {
      if (s.end <= first || s.begin > last) continue;
      ctx.strokeRect(originX + s.begin * z + 0.5, originY + 0.5, (s.end - s.begin) * z - 1, this.height * z - 1);
    }
  }
}

const sameRect = (a, b) => !!a && !!b && a[0] === b[0] && a[1] === b[1] && a[2] === b[2] && a[3] === b[3];

// What of rectangle A [left, top, right, bottom] lies outside B: at most four.
function minus(a, b) {
  if (b[0] >= a[2] || b[2] <= a[0] || b[1] >= a[3] || b[3] <= a[1]) return [a];
  const top = Math.max(a[1], b[1]), bottom = Math.min(a[3], b[3]);
  return [[a[0], a[1], a[2], top], [a[0], bottom, a[2], a[3]],
    [a[0], top, Math.max(a[0], b[0]), bottom], [Math.min(a[2], b[2]), top, a[2], bottom]]
    .filter((r) => r[0] < r[2] && r[1] < r[3]);
}

// Rectangles [left, top, right, bottom]: the one around both.
function union(a, b) {
  return [Math.min(a[0], b[0]), Math.min(a[1], b[1]), Math.max(a[2], b[2]), Math.max(a[3], b[3])];
}
