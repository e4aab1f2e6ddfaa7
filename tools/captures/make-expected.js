#!/usr/bin/env node
'use strict';
// Writes what "tavrin-upload inspect" must print for every captured body,
// into tests/data/captures/expected/<id>.json (and <id>.cp936.json, run with
// --page-code 936, for the GBK pages). The documents are derived from
// manifest.json alone: sizes and SHA-256 are those of the bytes each client
// was handed; names, file names and the final page code follow from the raw
// name/filename bytes by the component's documented rules:
//   - a quoted value ends at the next double quote (so "\"" escapes end it
//     after the backslash) or at the end of the header line (a raw LF);
//     a name whose header line ended early takes the file name with it;
//   - an empty value is no value;
//   - with the page code automatic (65535), the first value holding a byte
//     of 0x80 or more fixes it: 65001 if it is well-formed UTF-8 by the
//     loose rule, else 0 (the ANSI code page: windows-1252 under Wine);
//   - FileName and FileExt come from the client path split at the last
//     backslash or slash (after an optional "\\?\" prefix and drive).
// Uses only Node's standard library. The outputs are checked in, because
// the test run has no Node.
//
//   node tools/captures/make-expected.js

const fs = require('fs');
const path = require('path');

const DIR = path.resolve(__dirname, '../../tests/data/captures');
const OUT = path.join(DIR, 'expected');
const AUTOMATIC = 65535;

// windows-1252 bytes 0x80-0x9F; the five unassigned ones map to the C1
// control with the same number, as the platform converter does.
const CP1252_HIGH = [
  0x20ac, 0x81, 0x201a, 0x192, 0x201e, 0x2026, 0x2020, 0x2021, 0x2c6, 0x2030, 0x160, 0x2039,
  0x152, 0x8d, 0x17d, 0x8f, 0x90, 0x2018, 0x2019, 0x201c, 0x201d, 0x2022, 0x2013, 0x2014,
  0x2dc, 0x2122, 0x161, 0x203a, 0x153, 0x9d, 0x17e, 0x178,
];

function decode(bytes, codePage) {
  if (bytes.length === 0) return null;
  switch (codePage) {
    case 65001:
      return new TextDecoder('utf-8').decode(Uint8Array.from(bytes));
    case 936:
      return new TextDecoder('gbk').decode(Uint8Array.from(bytes));
    case 0:
    case 1252:
      return String.fromCharCode(...bytes.map((b) => (b >= 0x80 && b <= 0x9f ? CP1252_HIGH[b - 0x80] : b)));
    default:
      throw new Error(`no decoder for code page ${codePage}`);
  }
}

// -1, 0 or 1: the component's loose UTF-8 classification.
function classify(bytes) {
  let expected = 0;
  let ascii = true;
  for (const b of bytes) {
    if (b >= 0x80) ascii = false;
    if (expected > 0) {
      if ((b & 0xc0) !== 0x80) return -1;
      expected--;
    } else if (b >= 0x80) {
      let lead = 0;
      while (lead < 8 && (b & (0x80 >> lead))) lead++;
      if (lead === 1) return -1;
      expected = lead - 1;
    }
  }
  if (expected > 0) return -1;
  return ascii ? 0 : 1;
}

// Decodes under the page code held in state, fixing it on first use.
function decodeUnderPageCode(bytes, state) {
  let codePage = state.pageCode;
  if (codePage === AUTOMATIC) {
    const c = classify(bytes);
    codePage = c === 1 ? 65001 : 0;
    if (c !== 0) state.pageCode = codePage;
  }
  return decode(bytes, codePage);
}

// The bytes the component takes as a quoted value, and whether the header
// line ended inside it.
function valueBytes(rawHex) {
  const raw = Buffer.from(rawHex, 'hex');
  let end = raw.length;
  let lineEnded = false;
  for (let i = 0; i < raw.length; i++) {
    if (raw[i] === 0x22) { end = i; break; }
    if (raw[i] === 0x0a) {
      end = i > 0 && raw[i - 1] === 0x0d ? i - 1 : i;
      lineEnded = true;
      break;
    }
  }
  return { bytes: [...raw.subarray(0, end)], lineEnded };
}

// Base name and extension of a client path; null when a limit is broken.
function splitClientPath(text) {
  let rest = text.startsWith('\\\\?\\') ? text.slice(4) : text;
  if (rest.length >= 2 && rest[1] === ':') rest = rest.slice(2);
  let afterSep = 0;
  let lastDot = -1;
  for (let i = 0; i < rest.length; i++) {
    if (rest[i] === '\\' || rest[i] === '/') afterSep = i + 1;
    if (rest[i] === '.') lastDot = i;
  }
  if (afterSep > 255) return null;
  if (lastDot >= afterSep) {
    const base = rest.slice(afterSep, lastDot);
    const ext = rest.slice(lastDot);
    if (base.length > 255 || ext.length > 255) return null;
    return { base, ext };
  }
  const base = rest.slice(afterSep);
  return base.length > 255 ? null : { base, ext: '' };
}

function describeItem(part, index, state) {
  const name = valueBytes(part.nameRawHex);
  const nameText = decodeUnderPageCode(name.bytes, state);
  let filePath = null;
  if (part.filenameRawHex != null && !name.lineEnded) {
    filePath = decodeUnderPageCode(valueBytes(part.filenameRawHex).bytes, state);
  }
  let fileName = null;
  let fileExt = null;
  if (filePath) {
    const split = splitClientPath(filePath) || { base: '', ext: '' };
    fileName = split.base + split.ext;
    fileExt = split.ext.startsWith('.') ? split.ext.slice(1) : null;
  }
  return {
    index,
    name: nameText || null,
    file_path: filePath,
    file_name: fileName,
    file_ext: fileExt,
    content_type: part.contentType || null,
    size: part.size,
    sha256: part.sha256,
  };
}

// Same layout as the tool: fixed key order, ", " and ": " separators.
function format(doc) {
  const item = (it) => `{${Object.entries(it).map(([k, v]) => `${JSON.stringify(k)}: ${JSON.stringify(v)}`).join(', ')}}`;
  return `{"page_code": ${doc.page_code}, "count": ${doc.count}, "items": [${doc.items.map(item).join(', ')}]}\n`;
}

function expectedDocument(capture, pageCode) {
  const state = { pageCode };
  const items = capture.parts.map((part, i) => describeItem(part, i, state));
  return format({ page_code: state.pageCode, count: items.length, items });
}

const manifest = JSON.parse(fs.readFileSync(path.join(DIR, 'manifest.json'), 'utf8'));
fs.mkdirSync(OUT, { recursive: true });
for (const capture of manifest.captures) {
  const id = capture.file.replace(/\.body$/, '');
  fs.writeFileSync(path.join(OUT, `${id}.json`), expectedDocument(capture, AUTOMATIC));
  if (capture.page === 'gbk') {
    fs.writeFileSync(path.join(OUT, `${id}.cp936.json`), expectedDocument(capture, 936));
  }
  console.log(`wrote ${id}`);
}
