// Serves a browser build's site folder on 127.0.0.1 (a free port) and drives it in headless Chromium
// (Debian's, through playwright-core), for the browser test and the browser benchmark:
//
//   drive(MODES): node SCRIPT SITE MODE [ARGS...] runs MODES[MODE](browser, base, report) and writes the
//   report as one JSON object on standard output. Exit status 0 with the report; 77 when Chromium cannot
//   start (the report says why); 1 on a failure to drive the page at all; 2 for a usage error.
import { createRequire } from 'node:module'
import { createServer } from 'node:http'
import { readFile } from 'node:fs/promises'
import { extname, join, normalize } from 'node:path'

const require = createRequire(import.meta.url)
const { chromium } = require('playwright-core')

export const [webdir, what, ...rest] = process.argv.slice(2)
export const option = (name) => {
  const i = rest.indexOf(name)
  return i < 0 ? undefined : rest[i + 1] ?? true
}

const TYPES = {
  '.html': 'text/html', '.js': 'text/javascript', '.mjs': 'text/javascript', '.css': 'text/css',
  '.wasm': 'application/wasm', '.data': 'application/octet-stream', '.keys': 'text/plain',
  '.png': 'image/png',
}
// What the server did and how it serves: bytes sent, the site's files the browser asked for, the path the
// site is served under, files the runs add beside the build's own, milliseconds a file takes (a slow line).
export const server = { served: 0, requested: new Set(), prefix: '/', extra: {}, delays: {} }
function serve(root) {
  const http = createServer(async (req, res) => {
    let path = decodeURIComponent(new URL(req.url, 'http://x').pathname)
    if (!path.startsWith(server.prefix)) {
      res.writeHead(404)
      res.end()
      return
    }
    path = normalize('/' + path.slice(server.prefix.length)).replace(/^(\.\.[/\\])+/, '')
    if (path in server.extra) {
      res.writeHead(200, { 'Content-Type': 'text/plain' })
      res.end(server.extra[path])
      return
    }
    if (path in server.delays) await sleep(server.delays[path])
    try {
      const file = path.endsWith('/') ? path + 'index.html' : path
      const body = await readFile(join(root, file))
      server.served += body.length
      server.requested.add(file.slice(1))
      res.writeHead(200, { 'Content-Type': TYPES[extname(file)] || 'application/octet-stream' })
      res.end(body)
    } catch {
      res.writeHead(404)
      res.end()
    }
  })
  return new Promise((resolve) => http.listen(0, '127.0.0.1', () => resolve(http)))
}

export const sleep = (ms) => new Promise((r) => setTimeout(r, ms))
export async function until(page, fn, arg, timeout, what) {
  try {
    await page.waitForFunction(fn, arg, { timeout, polling: 100 })
  } catch {
    throw new Error(`timed out waiting for ${what}`)
  }
}
export const firstframe = (page, timeout = 60000) =>
  until(page, () => window.showcase && showcase.firstframe > 0, null, timeout, 'the first intro frame')
export const visible = (page, sel) => page.locator(sel).isVisible()
export const text = async (page, sel) => ((await page.locator(sel).textContent()) || '').replace(/\s+/g, ' ').trim()

// A page whose console errors and uncaught exceptions go into the report.
export function newpage(browser, report, options = { viewport: { width: 1280, height: 960 } }) {
  return browser.newPage(options).then((page) => {
    page.on('console', (m) => {
      if (m.type() === 'error') report.errors.push(m.text())
      else report.console = (report.console || []).concat(m.text())
    })
    page.on('pageerror', (e) => report.errors.push(String(e)))
    return page
  })
}

export async function drive(modes, usage = '') {
  if (!webdir || !(what in modes)) {
    console.error(`usage: node ${process.argv[1]} SITE ${Object.keys(modes).join('|')} [options]${usage}`)
    process.exit(2)
  }
  const http = await serve(webdir)
  const base = `http://127.0.0.1:${http.address().port}/`
  let browser
  try {
    browser = await chromium.launch({
      executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
      // Sound only after a gesture, as a viewer's browser has it; and no reaching out to any network. The
      // name showcase.test is this machine too, but to the browser a plain-http address of another host.
      args: ['--no-sandbox', '--autoplay-policy=user-gesture-required', '--disable-gpu', '--disable-quic',
        '--no-first-run', '--disable-background-networking', '--disable-component-update', '--disable-sync',
        '--host-resolver-rules=MAP showcase.test 127.0.0.1'],
    })
  } catch (e) {
    const report = { skipped: `Chromium cannot start: ${String(e.message).split('\n')[0]}` }
    http.close()
    process.stdout.write(JSON.stringify(report) + '\n', () => process.exit(77))
    return
  }
  const report = { errors: [] }
  let status = 0
  try {
    await modes[what](browser, base, report)
  } catch (e) {
    report.failure = String(e.message || e)
    status = 1
  }
  await browser.close()
  http.close()
  // Written before leaving: an exit right after a large write to a pipe would cut the report short.
  process.stdout.write(JSON.stringify(report) + '\n', () => process.exit(status))
}
