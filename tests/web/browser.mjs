// Drives the browser build in headless Chromium (Debian's, through playwright-core) and reports what it saw
// as one JSON object on standard output. Serves the build folder itself on 127.0.0.1.
//
//   node browser.mjs WEBDIR show [--shots DIR]      the page as a viewer meets it: start screen, click,
//                                                  intro, menu turn, gallery, a picture, closing
//   node browser.mjs WEBDIR frames N [--fixed]      test mode: the checksums of the tour's first N frames
//   node browser.mjs WEBDIR speed                   unpaced menu turns in test mode: milliseconds a frame
//   node browser.mjs WEBDIR loudness MODULE SECONDS  the module's first seconds through the page's player
//                                                  at the show's normal volume, rendered offline: RMS
//
// Exit status 0 with the report; 77 when Chromium cannot start (the report says why); 1 on a failure to
// drive the page at all.
import { createRequire } from 'node:module'
import { createServer } from 'node:http'
import { readFile, mkdir } from 'node:fs/promises'
import { extname, join, normalize, dirname } from 'node:path'
import { fileURLToPath } from 'node:url'

const here = dirname(fileURLToPath(import.meta.url))
const require = createRequire(join(here, '../../web/package.json'))
const { chromium } = require('playwright-core')

const [webdir, what, ...rest] = process.argv.slice(2)
const option = (name) => {
  const i = rest.indexOf(name)
  return i < 0 ? undefined : rest[i + 1] ?? true
}

const TYPES = {
  '.html': 'text/html', '.js': 'text/javascript', '.mjs': 'text/javascript', '.css': 'text/css',
  '.wasm': 'application/wasm', '.data': 'application/octet-stream', '.keys': 'text/plain',
}
let served = 0
const extra = {} // files the runs add beside the build's own
function serve(root) {
  const server = createServer(async (req, res) => {
    const path = normalize(decodeURIComponent(new URL(req.url, 'http://x').pathname)).replace(/^(\.\.[/\\])+/, '')
    if (path in extra) {
      res.writeHead(200, { 'Content-Type': 'text/plain' })
      res.end(extra[path])
      return
    }
    try {
      const body = await readFile(join(root, path.endsWith('/') ? path + 'index.html' : path))
      served += body.length
      res.writeHead(200, { 'Content-Type': TYPES[extname(path) || '.html'] || 'application/octet-stream' })
      res.end(body)
    } catch {
      res.writeHead(404)
      res.end()
    }
  })
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)))
}

const sleep = (ms) => new Promise((r) => setTimeout(r, ms))
async function until(page, fn, arg, timeout, what) {
  try {
    await page.waitForFunction(fn, arg, { timeout, polling: 100 })
  } catch {
    throw new Error(`timed out waiting for ${what}`)
  }
}

// The canvas's frame count settles: the show waits for a key.
async function settled(page, quiet = 800, timeout = 120000) {
  const end = Date.now() + timeout
  let last = -1
  let since = Date.now()
  while (Date.now() < end) {
    const n = await page.evaluate(() => showcase.frames)
    if (n !== last) {
      last = n
      since = Date.now()
    } else if (Date.now() - since >= quiet) {
      return n
    }
    await sleep(100)
  }
  throw new Error('the show never came to rest')
}

// What the canvas shows, as an image to compare with another (the frames' checksums are the program's own).
const canvas = (page) =>
  page.evaluate(() => {
    const c = document.getElementById('screen')
    return { width: c.width, height: c.height, image: c.toDataURL() }
  })

async function shot(page, dir, name) {
  if (dir) await page.screenshot({ path: join(dir, `${name}.png`) })
}

async function showrun(page, base, report) {
  const shots = option('--shots')
  if (shots) await mkdir(shots, { recursive: true })
  await page.goto(base)
  await until(page, () => window.showcase && showcase.state === 'ready', null, 30000, 'the page to load')
  report.download = served
  report.startscreen = await page.locator('#start').isVisible()
  report.starttext = (await page.locator('#start p').first().textContent()).trim()
  await shot(page, shots, 'start')
  await page.click('#start')
  await until(page, () => showcase.firstframe > 0, null, 10000, 'the first intro frame')
  report.clicktofirstframe = await page.evaluate(() => showcase.firstframe - showcase.clicked)
  report.setup = await page.evaluate(() => showcase.setup)
  await until(page, () => showcase.audiostate() === 'running', null, 5000, 'the audio to run').catch(() => {})
  report.audiostate = await page.evaluate(() => showcase.audiostate())
  report.musicvolume = await page.evaluate(() => showcase.musicvolume)
  await sleep(12000)
  report.introframes = await page.evaluate(() => showcase.frames)
  await shot(page, shots, 'intro')
  // The intro runs about 55 seconds and ignores keys; then the menu waits.
  await settled(page, 1500, 90000)
  const menu = await canvas(page)
  await shot(page, shots, 'menu')
  let n = await page.evaluate(() => showcase.frames)
  await page.keyboard.press('ArrowRight')
  const turned = await settled(page)
  report.menuturnframes = turned - n
  report.menuturnchanged = (await canvas(page)).image !== menu.image
  await shot(page, shots, 'menu-turned')
  await page.keyboard.press('ArrowLeft')
  await settled(page)
  report.menuback = (await canvas(page)).image === menu.image
  n = await page.evaluate(() => showcase.frames)
  // The gallery: the doors open (125 frames), then the bar of pictures glows as long as it is open.
  await page.keyboard.press('Enter')
  await until(page, (n) => showcase.frames - n >= 140, n, 60000, 'the doors to open').catch(() => {})
  await sleep(500)
  report.galleryframes = (await page.evaluate(() => showcase.frames)) - n
  await shot(page, shots, 'gallery')
  await page.keyboard.press('Enter')
  await settled(page)
  const picture = await canvas(page)
  report.picture = { width: picture.width, height: picture.height }
  await shot(page, shots, 'picture')
  await page.keyboard.press('Escape')
  await sleep(1500)
  await page.keyboard.press('Escape')
  await settled(page)
  // Credits: one turn right and Enter.
  await page.keyboard.press('ArrowRight')
  await settled(page)
  await page.keyboard.press('Enter')
  await sleep(2500)
  await shot(page, shots, 'credits')
  report.creditsrunning = await page.evaluate(() => showcase.state === 'running')
  await page.click('#close')
  await until(page, () => showcase.endings === 1, null, 15000, 'the show to end after closing')
  report.endscreen = await page.locator('#end').isVisible()
  report.endtext = (await page.locator('#end p').first().textContent()).trim()
  report.musicvolumeatend = await page.evaluate(() => showcase.musicvolume)
  await shot(page, shots, 'end')
  await page.click('#again')
  await until(page, () => showcase.state === 'running' && showcase.firstframe > 0, null, 10000, 'a new start')
  report.startsagain = await page.evaluate(() => document.getElementById('end').hidden)
}

async function framesrun(page, base, report) {
  const frames = Number(option('frames') ?? rest[0])
  const mode = option('--fixed') ? '&mode=fixed' : ''
  await page.goto(`${base}?test&sums&keys=tour.keys&frames=${frames}${mode}`)
  const t0 = Date.now()
  await until(page, () => window.showcase && showcase.endings === 1, null, 1200000, 'the test run to end')
  report.seconds = (Date.now() - t0) / 1000
  report.framesums = await page.evaluate(() => showcase.framesums)
}

// Unpaced frames of the menu turn: test mode, a script that turns the menu again and again after the intro.
async function speedrun(page, base, report) {
  const turns = 120
  extra['/speed.keys'] = `60.0 Right x${turns}\n`
  await page.goto(`${base}?test&keys=speed.keys&frames=${3600 + turns * 17 + 60}`)
  await until(page, () => window.showcase && showcase.endings === 1, null, 600000, 'the speed run to end')
  const times = await page.evaluate(() => showcase.frametimes)
  // The turns begin at frame 3601 (60 s), 17 frames each. The page's clock is coarse, so a turn's frames
  // are timed together; the fastest turns are the ones a busy machine interrupted least.
  const perframe = []
  for (let t = 1; t < turns - 1; t++) perframe.push((times[3600 + (t + 1) * 17] - times[3600 + t * 17]) / 17)
  perframe.sort((a, b) => a - b)
  report.turns = perframe.length
  report.fastestframems = perframe[0]
  report.quartileframems = perframe[perframe.length >> 2]
  report.medianframems = perframe[perframe.length >> 1]
}

// The player the page uses (chiptune3: libopenmpt in an audio worklet) with the page's volume, 40 of 64,
// rendered offline at 48 kHz: the root mean square of both channels.
async function loudnessrun(page, base, report) {
  const [module, seconds] = [rest[0], Number(rest[1] || 10)]
  extra['/music.xm'] = await readFile(module)
  await page.goto(base + '?test&frames=0')
  report.rms = await page.evaluate(async (seconds) => {
    const { ChiptuneJsPlayer } = await import('./chiptune3/chiptune3.js')
    const context = new OfflineAudioContext(2, 48000 * seconds, 48000)
    const player = new ChiptuneJsPlayer({ context, repeatCount: -1 })
    await new Promise((resolve) => player.onInitialized(resolve))
    player.gain.gain.value = 40 / 64
    player.gain.connect(context.destination)
    const started = new Promise((resolve) => player.onMetadata(resolve))
    player.play(await (await fetch('music.xm')).arrayBuffer())
    await started
    const out = await context.startRendering()
    let sum = 0
    let n = 0
    for (let c = 0; c < 2; c++) {
      const d = out.getChannelData(c)
      for (let i = 0; i < d.length; i++) sum += d[i] * d[i]
      n += d.length
    }
    return Math.sqrt(sum / n)
  }, seconds)
}

async function main() {
  if (!webdir || !['show', 'frames', 'speed', 'loudness'].includes(what)) {
    console.error('usage: node browser.mjs WEBDIR show|frames N|speed [options]')
    process.exit(2)
  }
  const server = await serve(webdir)
  const base = `http://127.0.0.1:${server.address().port}/`
  let browser
  try {
    browser = await chromium.launch({
      executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
      // Sound only after a gesture, as a viewer's browser has it; and no reaching out to any network.
      args: ['--no-sandbox', '--autoplay-policy=user-gesture-required', '--disable-gpu', '--disable-quic',
        '--no-first-run', '--disable-background-networking', '--disable-component-update', '--disable-sync'],
    })
  } catch (e) {
    const report = { skipped: `Chromium cannot start: ${String(e.message).split('\n')[0]}` }
    server.close()
    process.stdout.write(JSON.stringify(report) + '\n', () => process.exit(77))
    return
  }
  const report = { errors: [] }
  const page = await browser.newPage({ viewport: { width: 1280, height: 960 } })
  page.on('console', (m) => {
    if (m.type() === 'error') report.errors.push(m.text())
  })
  page.on('pageerror', (e) => report.errors.push(String(e)))
  let status = 0
  try {
    if (what === 'show') await showrun(page, base, report)
    else if (what === 'frames') await framesrun(page, base, report)
    else if (what === 'speed') await speedrun(page, base, report)
    else await loudnessrun(page, base, report)
  } catch (e) {
    report.failure = String(e.message || e)
    status = 1
  }
  await browser.close()
  server.close()
  // Written before leaving: an exit right after a large write to a pipe would cut the report short.
  process.stdout.write(JSON.stringify(report) + '\n', () => process.exit(status))
}

main()
