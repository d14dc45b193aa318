// Drives the browser build in headless Chromium (Debian's, through playwright-core) and reports what it saw
// as one JSON object on standard output. Serves the site folder itself on 127.0.0.1, on a free port.
//
//   node browser.mjs SITE show [--shots DIR]        the page as a viewer meets it: start screen, click,
//                                                  intro, menu turn, gallery, a picture, closing
//   node browser.mjs SITE page SCENARIO [--shots DIR]  one of the page's ways in (see SCENARIOS below)
//   node browser.mjs SITE touch WxH [--shots DIR]   a phone: the tour's key script done by touch gestures,
//                                                  its frames at every key against the key tour's
//   node browser.mjs SITE figures                   load to start screen, click to first frame, download
//   node browser.mjs SITE frames N [--fixed] [--scale K]  test mode: the checksums of the tour's first N
//                                                  frames (K: ?scale=K)
//   node browser.mjs SITE speed [--scale K]         unpaced menu turns in test mode: milliseconds a frame
//   node browser.mjs SITE loudness MODULE SECONDS  the module's first seconds through the page's player
//                                                  at the show's normal volume, rendered offline: RMS
//
// Exit status 0 with the report; 77 when Chromium cannot start (the report says why); 1 on a failure to
// drive the page at all.
import { createRequire } from 'node:module'
import { createServer } from 'node:http'
import { readFile, mkdir } from 'node:fs/promises'
import { extname, join, normalize, dirname, resolve as resolvepath } from 'node:path'
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
  '.png': 'image/png',
}
let served = 0
const requested = new Set() // the site's files the browser asked for
let prefix = '/' // the path the site is served under
const extra = {} // files the runs add beside the build's own
const delays = {} // milliseconds a file takes, as on a slow line
function serve(root) {
  const server = createServer(async (req, res) => {
    let path = decodeURIComponent(new URL(req.url, 'http://x').pathname)
    if (!path.startsWith(prefix)) {
      res.writeHead(404)
      res.end()
      return
    }
    path = normalize('/' + path.slice(prefix.length)).replace(/^(\.\.[/\\])+/, '')
    if (path in extra) {
      res.writeHead(200, { 'Content-Type': 'text/plain' })
      res.end(extra[path])
      return
    }
    if (path in delays) await sleep(delays[path])
    try {
      const file = path.endsWith('/') ? path + 'index.html' : path
      const body = await readFile(join(root, file))
      served += body.length
      requested.add(file.slice(1))
      res.writeHead(200, { 'Content-Type': TYPES[extname(file)] || 'application/octet-stream' })
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
  const mode = (option('--fixed') ? '&mode=fixed' : '') + (option('--scale') ? `&scale=${option('--scale')}` : '')
  await page.goto(`${base}?test&sums&nosw&keys=tour.keys&frames=${frames}${mode}`)
  const t0 = Date.now()
  await until(page, () => window.showcase && showcase.endings === 1, null, 1200000, 'the test run to end')
  report.seconds = (Date.now() - t0) / 1000
  report.framesums = await page.evaluate(() => showcase.framesums)
}

// Unpaced frames of the menu turn: test mode, a script that turns the menu again and again after the intro.
async function speedrun(page, base, report) {
  const turns = 120
  extra['/speed.keys'] = `60.0 Right x${turns}\n`
  const scale = option('--scale') ? `&scale=${option('--scale')}` : ''
  await page.goto(`${base}?test&nosw&keys=speed.keys&frames=${3600 + turns * 17 + 60}${scale}`)
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
  await page.goto(base + '?test&nosw&frames=0')
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

// --- the page's ways in: each scenario gets the browser, the site's address and the report ---
const visible = (page, sel) => page.locator(sel).isVisible()
const text = async (page, sel) => ((await page.locator(sel).textContent()) || '').replace(/\s+/g, ' ').trim()
const firstframe = (page, timeout = 60000) =>
  until(page, () => window.showcase && showcase.firstframe > 0, null, timeout, 'the first intro frame')
// Test mode's short run: the intro's first 120 frames on the virtual clock, no key script.
const shortrun = async (page, url) => {
  await page.goto(`${url}?test&keys=&frames=120`)
  await until(page, () => window.showcase && showcase.endings === 1, null, 60000, 'the short run to end')
  return page.evaluate(() => showcase.framesums.length)
}

const SCENARIOS = {
  // A click while the page still loads starts the show as soon as it can, and says so meanwhile.
  async early(browser, base, report) {
    delays['/showcase.data'] = 3000
    const page = await newpage(browser, report)
    await page.goto(base, { waitUntil: 'commit' })
    await page.waitForSelector('#start')
    await page.click('#start')
    report.saidstarting = await until(page, () => window.showcase && showcase.state === 'loading' &&
      document.getElementById('status').textContent === 'starting\u2026', null, 3000, 'starting').then(() => true, () => false)
    await firstframe(page)
    report.started = await page.evaluate(() => showcase.state === 'running')
    await until(page, () => showcase.audiostate() === 'running', null, 5000, 'the audio').catch(() => {})
    report.audiostate = await page.evaluate(() => showcase.audiostate())
  },

  // A plain-http address other than this machine's: no audio worklet; the intro plays without sound, and the
  // page says why and how to get sound.
  async insecure(browser, base, report) {
    const page = await newpage(browser, report)
    await page.goto(base.replace('127.0.0.1', 'showcase.test'))
    report.secure = await page.evaluate(() => window.isSecureContext)
    report.worklet = await page.evaluate(() => 'audioWorklet' in AudioContext.prototype)
    await until(page, () => window.showcase && showcase.state === 'ready', null, 30000, 'the page to load')
    report.noticebeforestart = await visible(page, '#notice')
    await page.click('#start')
    await firstframe(page)
    await sleep(2000)
    report.frames = await page.evaluate(() => showcase.frames)
    report.noticeshown = await visible(page, '#notice')
    const notice = await text(page, '#notice')
    report.noticesayshow = /https/.test(notice) && /make serve/.test(notice)
    report.notice = notice
  },

  // A program that cannot set up (here: a key script it cannot read) ends on its own complaint, not on
  // "loading…".
  async broken(browser, base, report) {
    extra['/broken.keys'] = 'now Enter\n'
    const page = await newpage(browser, report)
    await page.goto(`${base}?test&nosw&keys=broken.keys`)
    await until(page, () => window.showcase && showcase.state === 'failed', null, 30000, 'the failure')
    report.startshown = await visible(page, '#start')
    report.status = await text(page, '#status')
    report.saysthefile = /The show cannot start: .*broken\.keys/.test(report.status)
  },

  // Opened from the disk: the page's own words say it must be served, and how.
  async file(browser, base, report) {
    const page = await newpage(browser, report)
    await page.goto('file://' + join(resolvepath(webdir), 'index.html'))
    await sleep(1500)
    report.loadingshown = await visible(page, '#status')
    report.messageshown = await visible(page, '#unserved')
    report.messagesayshow = /make serve/.test(await text(page, '#unserved'))
    await shot(page, option('--shots'), 'file')
  },

  // Keys alone: Tab reaches the Close button, Enter presses it; the end screen's Watch again takes Space
  // (focused) and Enter (anywhere).
  async keyboard(browser, base, report) {
    const page = await newpage(browser, report)
    await page.goto(base)
    await until(page, () => window.showcase && showcase.state === 'ready', null, 30000, 'the page to load')
    await page.keyboard.press('Space')
    await firstframe(page)
    const focused = () => page.evaluate(() => document.activeElement && document.activeElement.id)
    const endafter = async (n, what) => {
      await until(page, (n) => showcase.endings === n, n, 15000, what)
      return visible(page, '#end')
    }
    const againafter = async (n, what) => {
      await until(page, (n) => showcase.endings === n && showcase.state === 'running', n, 30000, what)
      return !(await visible(page, '#end'))
    }
    await page.keyboard.press('Tab')
    report.tabreachesclose = (await focused()) === 'close'
    await page.keyboard.press('Enter')
    report.enterclosed = await endafter(1, 'Enter on Close')
    report.againfocused = (await focused()) === 'again'
    await page.keyboard.press('Space')
    report.spacestartsagain = await againafter(1, 'Space on Watch again')
    await page.keyboard.press('Tab')
    await page.keyboard.press('Space')
    report.spaceclosed = await endafter(2, 'Space on Close')
    await page.evaluate(() => document.activeElement.blur())
    await page.keyboard.press('Enter')
    report.enterstartsagain = await againafter(2, 'Enter on the end screen')
  },

  // The published folder under a sub-path of the host: it plays, and every file in it is one the page
  // (or its offline copy) asked for.
  async subpath(browser, base, report) {
    prefix = '/some/where/showcase/'
    const page = await newpage(browser, report)
    report.frames = await shortrun(page, base + prefix.slice(1))
    // The offline copy fetches the rest of the page's files.
    await page.evaluate(() => navigator.serviceWorker.ready)
    await sleep(500)
    report.requested = [...requested].sort()
  },

  // Once visited, the page plays again without a network.
  async offline(browser, base, report) {
    const context = await browser.newContext()
    const page = await newpage(context, report)
    report.online = await shortrun(page, base)
    await page.evaluate(() => navigator.serviceWorker.ready)
    await context.setOffline(true)
    await page.reload()
    await until(page, () => window.showcase && showcase.endings === 1, null, 60000, 'the offline run to end')
    report.offline = await page.evaluate(() => showcase.framesums.length)
    report.offlineworker = await page.evaluate(() => !!navigator.serviceWorker.controller)
    await context.close()
  },
}

function newpage(browser, report, options = { viewport: { width: 1280, height: 960 } }) {
  return browser.newPage(options).then((page) => {
    page.on('console', (m) => {
      if (m.type() === 'error') report.errors.push(m.text())
      else report.console = (report.console || []).concat(m.text())
    })
    page.on('pageerror', (e) => report.errors.push(String(e)))
    return page
  })
}

// --- a phone: the tour's key script done by touch gestures alone ---
// The script's lines as the page's gestures: Right a swipe to the left, Left a tap on the left third, Enter a
// tap in the middle, Escape the Back control, Down and Up swipes up and down, a step for each key pressed.
function tourlines(textof) {
  const lines = []
  for (const raw of textof.split('\n')) {
    const line = raw.replace(/#.*/, '').trim()
    if (!line) continue
    const [seconds, key, times] = line.split(/\s+/)
    lines.push({ ms: Math.round(Number(seconds) * 1000), key: key.toLowerCase(), times: times ? Number(times.slice(1)) : 1 })
  }
  return lines
}

async function touchrun(browser, base, report) {
  const [w, h] = String(rest[0] || '844x390').split('x').map(Number)
  const frames = Number(option('--frames') || 7010)
  const shots = option('--shots')
  if (shots) await mkdir(shots, { recursive: true })
  const context = await browser.newContext({
    viewport: { width: w, height: h }, deviceScaleFactor: 3, isMobile: true, hasTouch: true,
  })
  const page = await newpage(context, report)
  const cdp = await context.newCDPSession(page)
  const point = (x, y) => ({ x, y, radiusX: 4, radiusY: 4, force: 1 })
  async function swipe(x0, y0, x1, y1) {
    await cdp.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [point(x0, y0)] })
    for (let i = 1; i <= 10; i++)
      await cdp.send('Input.dispatchTouchEvent', {
        type: 'touchMove', touchPoints: [point(x0 + ((x1 - x0) * i) / 10, y0 + ((y1 - y0) * i) / 10)],
      })
    await cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] })
  }

  // The start screen as a phone shows it, and the show after the first tap.
  await page.goto(base + '?nosw')
  await until(page, () => window.showcase && showcase.state === 'ready', null, 30000, 'the page to load')
  report.touchdevice = await page.evaluate(() => showcase.touchdevice)
  report.starttext = await text(page, '#starttext')
  report.steertext = await text(page, '#steer')
  await shot(page, shots, `phone-${w}x${h}-start`)
  await page.touchscreen.tap(w / 2, h / 2)
  await firstframe(page)
  report.backshown = await visible(page, '#back')
  await sleep(3000)
  await shot(page, shots, `phone-${w}x${h}-intro`)

  // The key tour on the virtual clock, then the same tour by touch, held at each key's frame.
  await page.goto(`${base}?test&sums&nosw&keys=tour.keys&frames=${frames}`)
  await until(page, () => window.showcase && showcase.endings === 1, null, 1200000, 'the key tour to end')
  const keysums = await page.evaluate(() => showcase.framesums)

  // The frame after which each of the script's keys arrives: the show's clock in whole milliseconds reaches
  // the key's time. The run is held there (the next hold is set before a hold is released, so that the
  // unpaced run cannot pass it), and the key's gesture is made.
  const lines = tourlines(await readFile(join(webdir, 'tour.keys'), 'utf8'))
  for (const line of lines) {
    line.tick = Math.ceil((line.ms * 60) / 1000)
    while (Math.floor((line.tick * 1000) / 60) < line.ms) line.tick++
  }
  const held = lines.filter((l) => l.tick < frames)
  await page.goto(`${base}?test&sums&nosw&keys=&frames=${frames}&hold=${held.length ? held[0].tick : 0}`)
  const SWIPE = 24
  const STEP = 12
  const points = []
  let pressed = 0
  for (let i = 0; i < held.length; i++) {
    const line = held[i]
    const tick = line.tick
    await until(page, () => window.showcase && (showcase.held || showcase.endings > 0), null, 600000, `frame ${tick}`)
    if (!(await page.evaluate(() => showcase.held))) break
    const at = await page.evaluate(() => showcase.framesums.length)
    if (at !== tick) report.heldlate = (report.heldlate || []).concat(`${tick}: ${at}`)
    let want = line.times
    if (line.key === 'right') await swipe(w * 0.7, h / 2, w * 0.3, h / 2)
    else if (line.key === 'left') await page.touchscreen.tap(w / 6, h / 2)
    else if (line.key === 'enter') await page.touchscreen.tap(w / 2, h / 2)
    else if (line.key === 'escape') await page.tap('#back')
    else if (line.key === 'up' || line.key === 'down') {
      // One swipe gives as many steps as fit on the screen; longer runs take several.
      const most = Math.floor((h - 20 - SWIPE) / STEP) + 1
      for (let left = line.times; left > 0; left -= most) {
        const n = Math.min(left, most)
        const d = SWIPE + (n - 1) * STEP + STEP / 2
        const [y0, y1] = line.key === 'down' ? [h - 10, h - 10 - d] : [10, 10 + d]
        await swipe(w / 2, y0, w / 2, y1)
      }
    } else {
      want = 0
      report.untouched = (report.untouched || []).concat(line.key)
    }
    pressed += want
    await until(page, (n) => showcase.keys.length >= n, pressed, 5000, `the gesture for ${line.key}`).catch(() => {})
    const got = await page.evaluate(() => showcase.keys.length)
    if (got !== pressed) report.wrongkeys = (report.wrongkeys || []).concat(`${line.key} at ${tick}: ${got - pressed}`)
    pressed = got
    points.push(tick)
    if (tick === 3900 && shots) await shot(page, shots, `phone-${w}x${h}-menu`)
    if (tick === 4200 && shots) await shot(page, shots, `phone-${w}x${h}-picture`)
    await page.evaluate((next) => {
      showcase.release()
      showcase.holdat = next
    }, i + 1 < held.length ? held[i + 1].tick : 0)
  }
  await until(page, () => showcase.endings === 1, null, 1200000, 'the touch tour to end')
  const touchsums = await page.evaluate(() => showcase.framesums)
  // The screen just before each key, and the last one.
  points.push(frames)
  report.points = points.length
  report.differ = points.filter((t) => touchsums[t - 1] !== keysums[t - 1])
  report.frames = [keysums.length, touchsums.length]
  report.firstdiffer = keysums.findIndex((v, i) => v !== touchsums[i]) + 1
  await context.close()
}

// The README's figures: what a first visit downloads, the time to the start screen and from the click to the
// first frame.
async function figuresrun(browser, base, report) {
  const page = await newpage(browser, report)
  const t0 = Date.now()
  await page.goto(base + '?nosw')
  await until(page, () => window.showcase && showcase.state === 'ready', null, 60000, 'the page to load')
  report.loadtostartms = Date.now() - t0
  report.download = served
  report.setupms = await page.evaluate(() => showcase.setup)
  await page.click('#start')
  await firstframe(page)
  report.clicktofirstframems = await page.evaluate(() => showcase.firstframe - showcase.clicked)
  // What a host that serves the compressed copies sends instead.
  for (const z of ['gz', 'br']) {
    let n = 0
    for (const f of requested) {
      try {
        n += (await readFile(join(webdir, `${f}.${z}`))).length
      } catch {
        n += (await readFile(join(webdir, f))).length
      }
    }
    report[z === 'gz' ? 'downloadgzipped' : 'downloadbrotli'] = n
  }
}

const MODES = ['show', 'frames', 'speed', 'loudness', 'page', 'touch', 'figures']

async function main() {
  if (!webdir || !MODES.includes(what) || (what === 'page' && !(rest[0] in SCENARIOS))) {
    console.error(`usage: node browser.mjs SITE ${MODES.join('|')} [options]; page scenarios: ${Object.keys(SCENARIOS).join(', ')}`)
    process.exit(2)
  }
  const server = await serve(webdir)
  const base = `http://127.0.0.1:${server.address().port}/`
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
    server.close()
    process.stdout.write(JSON.stringify(report) + '\n', () => process.exit(77))
    return
  }
  const report = { errors: [] }
  let status = 0
  try {
    if (what === 'page') await SCENARIOS[rest[0]](browser, base, report)
    else if (what === 'touch') await touchrun(browser, base, report)
    else if (what === 'figures') await figuresrun(browser, base, report)
    else {
      const page = await newpage(browser, report)
      if (what === 'show') await showrun(page, base, report)
      else if (what === 'frames') await framesrun(page, base, report)
      else if (what === 'speed') await speedrun(page, base, report)
      else await loudnessrun(page, base, report)
    }
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
