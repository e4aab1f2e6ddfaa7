'use strict';
// One driver per client. Each returns { client, version, request } where
// request is what the capture server recorded for the POST.

const fs = require('fs');
const os = require('os');
const path = require('path');
const { spawn, execFileSync } = require('child_process');
const { FILES, apiForm } = require('./forms');

const CHROMIUM = '/usr/bin/chromium';
const FIREFOX = '/usr/bin/firefox-esr';

function tmpdir(tag) {
  return fs.mkdtempSync(path.join(os.tmpdir(), `tavrin-capture-${tag}-`));
}

function firstLine(cmd, args) {
  return execFileSync(cmd, args, { encoding: 'utf8', stdio: ['ignore', 'pipe', 'ignore'] }).split('\n')[0].trim();
}

// ---- curl -------------------------------------------------------------

// curl's -F parser takes ;filename=... up to the next ';' unless quoted;
// inside quotes it honours \" and \\.
function curlQuote(s) {
  return '"' + s.replace(/\\/g, '\\\\').replace(/"/g, '\\"') + '"';
}

async function captureCurl(server, captureId, { big, extraArgs = [] }) {
  const dir = tmpdir('curl');
  const items = apiForm({ big });
  const args = ['-q', '-sS', '--http1.1', '--noproxy', '*', '-o', '/dev/null', ...extraArgs];
  for (const it of items) {
    if (it.kind === 'field') {
      args.push('--form-string', `${it.name}=${it.value}`);
    } else {
      for (const f of it.files) {
        const p = path.join(dir, f.id);
        fs.writeFileSync(p, FILES[f.id]);
        args.push('-F', `${it.name}=@${p};filename=${curlQuote(f.filename)};type=${f.type}`);
      }
    }
  }
  args.push(`${server.base}/upload/${captureId}`);
  const got = server.expect(captureId);
  await new Promise((resolve, reject) => {
    const p = spawn('curl', args, { stdio: ['ignore', 'inherit', 'inherit'] });
    p.on('error', reject);
    p.on('exit', (code) => (code === 0 ? resolve() : reject(new Error(`curl exited ${code}`))));
  });
  const request = await got;
  fs.rmSync(dir, { recursive: true, force: true });
  // Temporary paths are replaced so the manifest does not change between runs.
  const shown = args.slice(0, -1).map((a) => a.split(dir).join('$DIR'));
  return { client: 'curl', version: firstLine('curl', ['--version']), items, args: shown, request };
}

// ---- Node fetch -------------------------------------------------------

async function captureNode(server, captureId, { big }) {
  const items = apiForm({ big });
  const fd = new FormData();
  for (const it of items) {
    if (it.kind === 'field') fd.append(it.name, it.value);
    else for (const f of it.files) fd.append(it.name, new File([FILES[f.id]], f.filename, { type: f.type }));
  }
  const got = server.expect(captureId);
  const res = await fetch(`${server.base}/upload/${captureId}`, { method: 'POST', body: fd });
  await res.arrayBuffer();
  const request = await got;
  return { client: 'node-fetch', version: `node ${process.version}, undici ${process.versions.undici}`, items, request };
}

// ---- Chromium (playwright-core, Debian's binary) -----------------------

// Any request for a non-loopback host goes to a closed local port, so the
// browser cannot reach the network even if a background service wakes up.
const DEAD_PROXY = 'http://127.0.0.1:9';

async function captureChromium(server, captureId, pageId) {
  const { chromium } = require('playwright-core');
  const dir = tmpdir('chromium');
  const ctx = await chromium.launchPersistentContext(dir, {
    executablePath: CHROMIUM,
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      `--proxy-server=${DEAD_PROXY}`],
  });
  try {
    const version = ctx.browser() ? ctx.browser().version() : firstLine(CHROMIUM, ['--version']);
    const page = ctx.pages()[0] || await ctx.newPage();
    const got = server.expect(captureId);
    await page.goto(`${server.base}/page/${pageId}/${captureId}`);
    const request = await got;
    return { client: 'chromium', version: `Chromium ${version}`, request };
  } finally {
    await ctx.close();
    fs.rmSync(dir, { recursive: true, force: true });
  }
}

// ---- Firefox ESR (headless, plain process) -----------------------------

// Prefs for a quiet, offline-only profile: no first-run pages, telemetry,
// updates, captive-portal or connectivity probes, DNS-over-HTTPS or
// prefetching, and a dead proxy for every non-loopback host.
const FIREFOX_PREFS = {
  'browser.shell.checkDefaultBrowser': false,
  'browser.startup.homepage_override.mstone': 'ignore',
  'browser.startup.page': 0,
  'startup.homepage_welcome_url': '',
  'startup.homepage_welcome_url.additional': '',
  'browser.aboutwelcome.enabled': false,
  'datareporting.policy.dataSubmissionEnabled': false,
  'datareporting.healthreport.uploadEnabled': false,
  'toolkit.telemetry.enabled': false,
  'toolkit.telemetry.reportingpolicy.firstRun': false,
  'app.update.enabled': false,
  'app.update.auto': false,
  'app.normandy.enabled': false,
  'extensions.update.enabled': false,
  'extensions.getAddons.cache.enabled': false,
  'browser.safebrowsing.malware.enabled': false,
  'browser.safebrowsing.phishing.enabled': false,
  'browser.safebrowsing.downloads.enabled': false,
  'browser.safebrowsing.downloads.remote.enabled': false,
  'browser.safebrowsing.provider.mozilla.updateURL': '',
  'services.settings.server': 'http://127.0.0.1:9/',
  'network.captive-portal-service.enabled': false,
  'network.connectivity-service.enabled': false,
  'network.dns.disablePrefetch': true,
  'network.prefetch-next': false,
  'network.http.speculative-parallel-limit': 0,
  'network.trr.mode': 5,
  'network.proxy.type': 1,
  'network.proxy.http': '127.0.0.1',
  'network.proxy.http_port': 9,
  'network.proxy.ssl': '127.0.0.1',
  'network.proxy.ssl_port': 9,
  'network.proxy.no_proxies_on': '127.0.0.1',
  'browser.newtabpage.enabled': false,
  'browser.newtabpage.activity-stream.feeds.topsites': false,
  'browser.newtabpage.activity-stream.feeds.section.topstories': false,
  'browser.topsites.contile.enabled': false,
  'browser.region.network.url': '',
  'browser.region.update.enabled': false,
  'geo.provider.network.url': '',
  'media.gmp-manager.url': 'http://127.0.0.1:9/',
  'media.gmp-gmpopenh264.enabled': false,
  'extensions.blocklist.enabled': false,
  'browser.ping-centre.telemetry': false,
  'privacy.resistFingerprinting': false,
};

async function captureFirefox(server, captureId, pageId) {
  const profile = tmpdir('firefox');
  const home = tmpdir('firefox-home');
  fs.writeFileSync(path.join(profile, 'user.js'),
    Object.entries(FIREFOX_PREFS).map(([k, v]) => `user_pref(${JSON.stringify(k)}, ${JSON.stringify(v)});`).join('\n') + '\n');
  const version = firstLine(FIREFOX, ['--version']);
  const got = server.expect(captureId);
  // Own process group, so the browser and its content processes can be
  // ended together by this group's id once the POST is in.
  const child = spawn(FIREFOX, ['--headless', '--no-remote', '-profile', profile, `${server.base}/page/${pageId}/${captureId}`], {
    detached: true,
    stdio: ['ignore', 'ignore', 'pipe'],
    env: { ...process.env, HOME: home, MOZ_CRASHREPORTER_DISABLE: '1' },
  });
  let stderr = '';
  child.stderr.on('data', (d) => { stderr += d; });
  const exited = new Promise((r) => child.on('exit', r));
  try {
    const request = await Promise.race([got, exited.then(() => { throw new Error(`firefox exited early: ${stderr}`); })]);
    return { client: 'firefox', version, request };
  } finally {
    try { process.kill(-child.pid, 'SIGTERM'); } catch (_) { /* already gone */ }
    const t = setTimeout(() => { try { process.kill(-child.pid, 'SIGKILL'); } catch (_) { /* gone */ } }, 5000);
    await exited;
    clearTimeout(t);
    fs.rmSync(profile, { recursive: true, force: true });
    fs.rmSync(home, { recursive: true, force: true });
  }
}

module.exports = { captureCurl, captureNode, captureChromium, captureFirefox };
