#!/usr/bin/env node
'use strict';
// Checks every body in tests/data/captures against manifest.json: the body
// split at its boundary must hold exactly the manifest's parts, in order,
// with the recorded raw name/filename bytes, declared content type, content
// size and SHA-256. Uses only Node's standard library.
//
//   node tools/captures/check-captures.js [--verbose]

const fs = require('fs');
const path = require('path');
const crypto = require('crypto');

const DIR = path.resolve(__dirname, '../../tests/data/captures');
const verbose = process.argv.includes('--verbose');
const sha256 = (b) => crypto.createHash('sha256').update(b).digest('hex');

// Splits at "--boundary" lines; returns [{ headers: Buffer, content: Buffer }].
function split(body, boundary) {
  const first = Buffer.from(`--${boundary}\r\n`, 'latin1');
  const delim = Buffer.from(`\r\n--${boundary}`, 'latin1');
  if (!body.subarray(0, first.length).equals(first)) throw new Error('body does not start with the boundary line');
  const parts = [];
  let start = first.length;
  for (;;) {
    const end = body.indexOf(delim, start);
    if (end < 0) throw new Error('missing closing delimiter');
    const raw = body.subarray(start, end);
    const sep = raw.indexOf('\r\n\r\n', 0, 'latin1');
    if (sep < 0) throw new Error(`part ${parts.length}: no blank line after headers`);
    parts.push({ headers: raw.subarray(0, sep), content: raw.subarray(sep + 4) });
    const after = end + delim.length;
    const tail = body.subarray(after, after + 2).toString('latin1');
    if (tail === '--') {
      const rest = body.subarray(after + 2).toString('latin1');
      if (rest !== '' && rest !== '\r\n') throw new Error(`unexpected bytes after closing delimiter: ${JSON.stringify(rest)}`);
      return parts;
    }
    if (tail !== '\r\n') throw new Error(`part ${parts.length}: delimiter not followed by CRLF`);
    start = after + 2;
  }
}

function headerLines(h) {
  return h.toString('latin1').split('\r\n');
}

const manifest = JSON.parse(fs.readFileSync(path.join(DIR, 'manifest.json'), 'utf8'));
let passed = 0;
let failed = 0;
for (const cap of manifest.captures) {
  const errors = [];
  const body = fs.readFileSync(path.join(DIR, cap.file));
  if (body.length !== cap.bodySize) errors.push(`body size ${body.length} != ${cap.bodySize}`);
  if (sha256(body) !== cap.bodySha256) errors.push('body SHA-256 differs from manifest');
  if (cap.contentLength != null && cap.contentLength !== body.length) errors.push(`Content-Length ${cap.contentLength} != body ${body.length}`);
  const m = /^multipart\/form-data;\s*boundary=(?:"([^"]+)"|([^;\s]+))/i.exec(cap.contentType || '');
  let parts = [];
  if (!m) errors.push(`not a multipart content type: ${cap.contentType}`);
  else {
    try { parts = split(body, m[1] || m[2]); } catch (e) { errors.push(e.message); }
  }
  if (m && parts.length !== cap.parts.length) errors.push(`${parts.length} parts in body, manifest lists ${cap.parts.length}`);
  cap.parts.forEach((want, i) => {
    const got = parts[i];
    if (!got) return;
    const where = `part ${i} (${JSON.stringify(want.name)})`;
    const lines = headerLines(got.headers);
    const cdIdx = lines.findIndex((l) => /^content-disposition:/i.test(l));
    if (cdIdx < 0) { errors.push(`${where}: no Content-Disposition`); return; }
    const cd = Buffer.from(lines[cdIdx], 'latin1');
    if (!/^content-disposition: form-data;/i.test(lines[cdIdx])) errors.push(`${where}: not form-data`);
    const nameParam = Buffer.concat([Buffer.from('; name="'), Buffer.from(want.nameRawHex, 'hex'), Buffer.from('"')]);
    if (cd.indexOf(nameParam) < 0) errors.push(`${where}: name bytes ${want.nameRawHex} not found`);
    if (want.filenameRawHex == null) {
      if (/filename=/i.test(lines[cdIdx])) errors.push(`${where}: unexpected filename parameter`);
    } else {
      const fnParam = Buffer.concat([Buffer.from('; filename="'), Buffer.from(want.filenameRawHex, 'hex'), Buffer.from('"')]);
      if (cd.indexOf(fnParam) < 0) errors.push(`${where}: filename bytes ${want.filenameRawHex} not found`);
    }
    const ct = lines.find((l) => /^content-type:/i.test(l));
    const gotType = ct ? ct.replace(/^content-type:\s*/i, '') : null;
    if (gotType !== want.contentType) errors.push(`${where}: content type ${gotType} != ${want.contentType}`);
    if (got.content.length !== want.size) errors.push(`${where}: size ${got.content.length} != ${want.size}`);
    else if (sha256(got.content) !== want.sha256) errors.push(`${where}: content SHA-256 differs`);
    if (verbose) {
      console.log(`  ${cap.file} ${i}: ${lines.join(' | ')} [${got.content.length} bytes]`);
    }
  });
  if (errors.length) {
    failed++;
    console.log(`FAIL ${cap.file}`);
    for (const e of errors) console.log(`  ${e}`);
  } else {
    passed++;
    console.log(`ok   ${cap.file} (${cap.parts.length} parts, ${body.length} bytes)`);
  }
}
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed ? 1 : 0);
