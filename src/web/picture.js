// Pictures to import: a PNG is decoded here by fast-png, keeping an indexed
// picture's indices; a BMP goes to the core's own reader. Either way the core
// applies the colour rules.
import { decode, hasPngSignature } from 'fast-png';

export const isPng = (bytes) => hasPngSignature(bytes);

// The header's size, checked before any memory goes to the pixels: at most
// PixelsPerByte pixels for each byte of the file.
function checkSize(bytes, pixelsPerByte) {
  if (bytes.length < 24) throw new Error('the file ends before its pixels do');
  const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
  const width = view.getUint32(16), height = view.getUint32(20);
  if (width * height > bytes.length * pixelsPerByte)
    throw new Error(`a picture of ${width} x ${height} pixels can't be held in ${bytes.length} bytes`);
}

// The samples one after another, unpacked from depths below 8.
function flatSamples(png) {
  const { data, depth, width, height } = png;
  if (depth >= 8) return data;
  const perRow = width * png.channels;
  const rowBytes = Math.ceil((perRow * depth) / 8);
  const mask = (1 << depth) - 1;
  const out = new Uint8Array(perRow * height);
  for (let y = 0; y < height; y++)
    for (let i = 0; i < perRow; i++) {
      const bit = i * depth;
      out[y * perRow + i] = (data[y * rowBytes + (bit >> 3)] >> (8 - depth - (bit & 7))) & mask;
    }
  return out;
}

// The decoded picture in the form the core takes: indices and a 256-entry
// RGBA table, or RGBA colours. PixelsPerByte: the core's limit on what a
// compressed picture may claim.
export function decodePng(bytes, pixelsPerByte) {
  checkSize(bytes, pixelsPerByte);
  const png = decode(bytes, { checkCrc: true });
  const { width, height, channels, depth } = png;
  const count = width * height;
  if (png.palette) {
    const indices = Uint8Array.from(flatSamples(png).subarray(0, count));
    const table = new Uint8Array(256 * 4);
    for (let k = 0; k < 256; k++) table[4 * k + 3] = 255;
    png.palette.forEach((c, k) => table.set([c[0], c[1], c[2], c.length > 3 ? c[3] : 255], 4 * k));
    return { width, height, indexed: true, data: indices, table };
  }
  const max = (1 << depth) - 1;
  const scale = (v) => Math.round((v * 255) / max);
  const key = png.transparency;  // the one colour that is transparent, if any
  const rgba = new Uint8Array(count * 4);
  const all = flatSamples(png);
  const gray = channels < 3, alpha = channels === 2 || channels === 4;
  for (let i = 0, at = 0; i < count; i++, at += channels) {
    const r = all[at], g = gray ? r : all[at + 1], b = gray ? r : all[at + 2];
    const keyed = key && (gray ? key[0] === r : key[0] === r && key[1] === g && key[2] === b);
    const o = 4 * i;
    rgba[o] = scale(r);
    rgba[o + 1] = scale(g);
    rgba[o + 2] = scale(b);
    rgba[o + 3] = keyed ? 0 : alpha ? scale(all[at + channels - 1]) : 255;
  }
  return { width, height, indexed: false, data: rgba, table: new Uint8Array(0) };
}
