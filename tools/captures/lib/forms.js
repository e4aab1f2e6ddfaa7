'use strict';
// What each client is asked to send: the file contents, the three browser
// pages (UTF-8, GBK, windows-1252) and the form curl and Node fetch build
// with their own APIs. The expected part list of every capture is derived
// from these definitions, never from the captured body.

const crypto = require('crypto');
const iconv = require('iconv-lite');

const BIG_SIZE = 1048576;
const BIG_SEED = 'TavrinUpload capture data, seed 1';

// 1 MiB of SHA-256 counter-mode bytes: block i = SHA256(seed || uint32le(i)).
// A few fixed splices make sure the file holds the byte sequences a
// multipart parser is most likely to trip over: CRLF, bare CR/LF, "--",
// blank lines and look-alikes of the boundaries the clients generate.
function makeBigFile() {
  const out = Buffer.alloc(BIG_SIZE);
  const seed = Buffer.from(BIG_SEED, 'latin1');
  const ctr = Buffer.alloc(4);
  for (let i = 0, off = 0; off < BIG_SIZE; i++, off += 32) {
    ctr.writeUInt32LE(i, 0);
    crypto.createHash('sha256').update(seed).update(ctr).digest().copy(out, off);
  }
  const splices = [
    [0, '--\r\n'],
    [100, '\r\n--'],
    [1000, '\r\n\r\n'],
    [2000, '\r\r\n\n\r'],
    [4096, '\r\n------WebKitFormBoundary'],
    [8192, '\r\n-----------------------------'],
    [12288, '\r\n----geckoformboundary'],
    [16384, '\r\n--------------------------'],
    [20480, '\r\n--formdata-undici-0'],
    [65535, '\r\n--\r\n'],
    [524288, 'Content-Disposition: form-data; name="fake"\r\n\r\n'],
    [BIG_SIZE - 4, '\r\n--'],
  ];
  for (const [off, s] of splices) out.write(s, off, 'latin1');
  return out;
}

const FILES = {
  big: makeBigFile(),
  empty: Buffer.alloc(0),
  readme: Buffer.from('Hello from the TavrinUpload capture.\r\nCRLF line, then LF line\nno final newline', 'latin1'),
  zh_utf8: Buffer.from('中文内容，UTF-8 编码。\n', 'utf8'),
  zh_gbk: iconv.encode('中文内容，GBK 编码。\r\n', 'gbk'),
  fr_1252: iconv.encode('Résumé — café crème, déjà vu.\r\n', 'windows-1252'),
  quoted: Buffer.from('file whose name holds double quotes\n', 'latin1'),
  tiny: Buffer.from([0x00, 0x01, 0x0d, 0x0a, 0x2d, 0x2d, 0xff]),
  first: Buffer.from('first of two files in one input\n', 'latin1'),
};

// Browsers turn every CR, LF and CRLF in names and text values into CRLF
// before encoding; curl passes values through untouched.
function normalizeNewlines(s) {
  return s.replace(/\r\n|\r|\n/g, '\r\n');
}

// Encode text the way a browser encodes form data: characters the charset
// cannot hold become decimal character references (&#NNN;).
function encodeText(s, charset) {
  if (charset === 'utf-8') return Buffer.from(s, 'utf8');
  const chunks = [];
  for (const ch of s) {
    const b = iconv.encode(ch, charset);
    if (iconv.decode(b, charset) === ch) chunks.push(b);
    else chunks.push(Buffer.from(`&#${ch.codePointAt(0)};`, 'latin1'));
  }
  return Buffer.concat(chunks);
}

const sha256 = (b) => crypto.createHash('sha256').update(b).digest('hex');

// Field and file items in document order. A file item with no files is an
// input left empty; one with several files is an <input multiple>.
const PAGES = {
  utf8: {
    charset: 'utf-8',
    label: 'UTF-8',
    items: [
      { kind: 'field', name: 'title', value: '中文' },
      { kind: 'field', name: '名字', value: '张三 😀' },
      { kind: 'field', name: 'quo"te', value: 'value with "quotes"' },
      { kind: 'field', name: 'line\nbreak', value: 'lb' },
      { kind: 'field', name: 'notes', value: 'line1\nline2\r\nline3', textarea: true },
      { kind: 'file', name: 'upload', files: [{ id: 'zh_utf8', filename: '中文文件.txt', type: 'text/plain' }] },
      { kind: 'file', name: 'empty', files: [] },
      { kind: 'file', name: 'small', files: [{ id: 'readme', filename: 'readme.txt', type: 'text/plain' }] },
      { kind: 'file', name: 'quoted', files: [{ id: 'quoted', filename: 'say "hi".txt', type: 'text/plain' }] },
      // "%" itself is never escaped, so this name looks exactly like an escaped quote.
      { kind: 'field', name: 'pct%22lit', value: 'literal percent' },
      { kind: 'file', name: 'lf', files: [{ id: 'tiny', filename: 'two\nlines.txt', type: 'text/plain' }] },
      { kind: 'file', name: 'backslash', files: [{ id: 'first', filename: 'C:\\dir\\name.txt', type: 'text/plain' }] },
      { kind: 'file', name: '附件', files: [
        { id: 'first', filename: 'a.txt', type: 'text/plain' },
        { id: 'empty', filename: 'empty.dat', type: 'application/octet-stream' },
      ] },
      { kind: 'file', name: 'bin', files: [{ id: 'big', filename: 'random.bin', type: 'application/octet-stream' }] },
      { kind: 'field', name: 'after', value: 'last' },
    ],
  },
  gbk: {
    charset: 'gbk',
    label: 'GBK',
    items: [
      { kind: 'field', name: 'title', value: '中文' },
      { kind: 'field', name: '名字', value: '张三' },
      { kind: 'field', name: 'quo"te', value: 'q"v' },
      { kind: 'field', name: 'line\nbreak', value: 'lb' },
      { kind: 'field', name: 'notes', value: '第一行\n第二行', textarea: true },
      { kind: 'field', name: 'ncr_😀', value: '€ 😀 ü' },
      { kind: 'file', name: 'upload', files: [{ id: 'zh_gbk', filename: '中文文件.txt', type: 'text/plain' }] },
      // 誠 is D5 5C in GBK: the trail byte is a backslash, right before the closing quote.
      { kind: 'file', name: 'trail5c', files: [{ id: 'tiny', filename: '報告_誠', type: 'application/octet-stream' }] },
      { kind: 'file', name: 'empty', files: [] },
      { kind: 'file', name: 'small', files: [{ id: 'readme', filename: 'readme.txt', type: 'text/plain' }] },
      { kind: 'file', name: 'quoted', files: [{ id: 'quoted', filename: 'say "hi".txt', type: 'text/plain' }] },
    ],
  },
  cp1252: {
    charset: 'windows-1252',
    label: 'windows-1252',
    items: [
      { kind: 'field', name: 'title', value: 'café crème' },
      { kind: 'field', name: 'prénom', value: 'Zoë' },
      { kind: 'field', name: 'quo"te', value: 'q"v' },
      { kind: 'field', name: 'line\nbreak', value: 'lb' },
      { kind: 'field', name: 'notes', value: 'ligne1\nligne2', textarea: true },
      { kind: 'field', name: 'ncr_Ω', value: 'Ω 中 €' },
      { kind: 'file', name: 'upload', files: [{ id: 'fr_1252', filename: 'résumé.txt', type: 'text/plain' }] },
      { kind: 'file', name: 'greek', files: [{ id: 'tiny', filename: 'Ωmega.txt', type: 'application/octet-stream' }] },
      { kind: 'file', name: 'empty', files: [] },
      { kind: 'file', name: 'small', files: [{ id: 'readme', filename: 'readme.txt', type: 'text/plain' }] },
      { kind: 'file', name: 'quoted', files: [{ id: 'quoted', filename: 'say "hi".txt', type: 'text/plain' }] },
    ],
  },
};

// The form curl and Node fetch build (UTF-8 throughout). `big: false`
// drops the 1 MiB part for the small variants.
function apiForm({ big = true } = {}) {
  const items = [
    { kind: 'field', name: 'title', value: '中文' },
    { kind: 'field', name: '名字', value: '张三 😀' },
    { kind: 'field', name: 'quo"te', value: 'value with "quotes"' },
    { kind: 'field', name: 'line\nbreak', value: 'lb' },
    { kind: 'field', name: 'notes', value: 'line1\nline2' },
    { kind: 'file', name: 'upload', files: [{ id: 'zh_utf8', filename: '中文文件.txt', type: 'text/plain' }] },
    { kind: 'file', name: 'empty', files: [{ id: 'empty', filename: '', type: 'application/octet-stream' }] },
    { kind: 'file', name: 'small', files: [{ id: 'readme', filename: 'readme.txt', type: 'text/plain' }] },
    { kind: 'file', name: 'quoted', files: [{ id: 'quoted', filename: 'say "hi".txt', type: 'text/plain' }] },
    { kind: 'field', name: 'pct%22lit', value: 'literal percent' },
    { kind: 'file', name: 'lf', files: [{ id: 'tiny', filename: 'two\nlines.txt', type: 'text/plain' }] },
    { kind: 'file', name: 'backslash', files: [{ id: 'first', filename: 'C:\\dir\\name.txt', type: 'text/plain' }] },
  ];
  if (big) items.push({ kind: 'file', name: 'bin', files: [{ id: 'big', filename: 'random.bin', type: 'application/octet-stream' }] });
  items.push({ kind: 'field', name: 'after', value: 'last' });
  return items;
}

// Browsers send an input with no file chosen as filename="" with
// application/octet-stream and no content.
function expectedParts(items, charset, { normalize }) {
  const parts = [];
  for (const it of items) {
    if (it.kind === 'field') {
      const v = normalize ? normalizeNewlines(it.value) : it.value;
      const bytes = encodeText(v, charset);
      parts.push({ kind: 'field', name: it.name, value: it.value, filename: null, contentType: null,
        size: bytes.length, sha256: sha256(bytes) });
    } else if (it.files.length === 0) {
      parts.push({ kind: 'file', name: it.name, filename: '', contentType: 'application/octet-stream',
        size: 0, sha256: sha256(Buffer.alloc(0)), noFileChosen: true });
    } else {
      for (const f of it.files) {
        const bytes = FILES[f.id];
        parts.push({ kind: 'file', name: it.name, filename: f.filename, contentType: f.type,
          size: bytes.length, sha256: sha256(bytes), source: f.id });
      }
    }
  }
  return parts;
}

module.exports = { FILES, PAGES, apiForm, expectedParts, encodeText, normalizeNewlines, sha256, BIG_SIZE };
