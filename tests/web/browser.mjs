// Drives the browser build in headless Chromium for the browser test and reports what it saw as one JSON
// object (see web/headless.mjs for the serving and the exit statuses):
//
//   node browser.mjs SITE page SCENARIO              one of the page's ways in (see SCENARIOS below)
//   node browser.mjs SITE touch WxH                  a phone: the tour's key script done by touch gestures;
//                                                  the checksums of its frames and the frames of its keys
//   node browser.mjs SITE frames N [--fixed] [--scale K]  test mode: the checksums of the tour's first N
//                                                  frames (K: ?scale=K)
//   node browser.mjs SITE loudness MODULE SECONDS  the module's first seconds through the page's player
//                                                  at the show's normal volume, rendered offline: RMS
import { readFile } from 'node:fs/promises'
import { join, resolve as resolvepath } from 'node:path'
import {
  drive, firstframe, newpage, option, rest, server, sleep, text, until, visible, webdir,
} from '../../web/headless.mjs'

async function framesrun(page, base, report) {
  const frames = Number(option('frames') ?? rest[0])
  const mode = (option('--fixed') ? '&mode=fixed' : '') + (option('--scale') ? `&scale=${option('--scale')}` : '')
  await page.goto(`${base}?test&sums&nosw&keys=tour.keys&frames=${frames}${mode}`)
  const t0 = Date.now()
  await until(page, () => window.showcase && showcase.endings === 1, null, 1200000, 'the test run to end')
  report.seconds = (Date.now() - t0) / 1000
  report.framesums = (await page.evaluate(() => showcase.framesums)).join(' ')
}

// The player the page uses (chiptune3: libopenmpt in an audio worklet) with the page's volume, 40 of 64,
// rendered offline at 48 kHz: the root mean square of both channels.
async function loudnessrun(page, base, report) {
  const [module, seconds] = [rest[0], Number(rest[1] || 10)]
  server.extra['/music.xm'] = await readFile(module)
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
    const squares = (c) => out.getChannelData(c).reduce((sum, v) => sum + v * v, 0)
    return Math.sqrt((squares(0) + squares(1)) / (2 * out.length))
  }, seconds)
}

// --- the page's ways in: each scenario gets the browser, the site's address and the report ---
const SCENARIOS = {
  // A click while the page still loads starts the show as soon as it can, and says so meanwhile.
  async early(browser, base, report) {
    server.delays['/showcase.data'] = 3000
    const page = await newpage(browser, report)
    await page.goto(base, { waitUntil: 'commit' })
    await page.click('#start')
    report.saidstarting = await until(page, () => window.showcase && showcase.state === 'loading' &&
      document.getElementById('status').textContent === 'starting\u2026', null, 3000, 'starting').then(() => true, () => false)
    await firstframe(page)
    await until(page, () => showcase.audiostate() === 'running', null, 5000, 'the audio').catch(() => {})
    report.audiostate = await page.evaluate(() => showcase.audiostate())
  },

  // A plain-http address other than this machine's: no audio worklet; the intro plays without sound, and the
  // page says why and how to get sound.
  async insecure(browser, base, report) {
    const page = await newpage(browser, report)
    await page.goto(base.replace('127.0.0.1', 'showcase.test'))
    await until(page, () => window.showcase && showcase.state === 'ready', null, 30000, 'the page to load')
    report.noticebeforestart = await visible(page, '#notice')
    await page.click('#start')
    await firstframe(page)
    await sleep(2000)
    report.noticeshown = await visible(page, '#notice')
    const notice = await text(page, '#notice')
    report.noticesayshow = /https/.test(notice) && /make serve/.test(notice)
  },

  // A program that cannot set up (here: a key script it cannot read) ends on its own complaint, not on
  // "loading…".
  async broken(browser, base, report) {
    server.extra['/broken.keys'] = 'now Enter\n'
    const page = await newpage(browser, report)
    await page.goto(`${base}?test&nosw&keys=broken.keys`)
    await until(page, () => window.showcase && showcase.state === 'failed', null, 30000, 'the failure')
    report.startshown = await visible(page, '#start')
    report.saysthefile = /The show cannot start: .*broken\.keys/.test(await text(page, '#status'))
  },

  // Opened from the disk: the page's own words say it must be served, and how.
  async file(browser, base, report) {
    const page = await newpage(browser, report)
    await page.goto('file://' + join(resolvepath(webdir), 'index.html'))
    await sleep(1500)
    report.loadingshown = await visible(page, '#status')
    report.messageshown = await visible(page, '#unserved')
    report.messagesayshow = /make serve/.test(await text(page, '#unserved'))
  },

  // Keys alone, as a viewer meets the page: the start screen's words; a key starts the show with its sound
  // at the show's volume, in time and at pace; the show gets the keys as virtual-key codes; Tab reaches the
  // Close button and Enter presses it; the end screen's words and the music gone; its Watch again takes
  // Space (focused) and Enter (anywhere).
  async keyboard(browser, base, report) {
    const page = await newpage(browser, report)
    await page.goto(base)
    await until(page, () => window.showcase && showcase.state === 'ready', null, 30000, 'the page to load')
    report.startscreen = await visible(page, '#start')
    report.starttext = await text(page, '#starttext')
    await page.keyboard.press('Space')
    await firstframe(page)
    report.quickstart = await page.evaluate(() => showcase.firstframe - showcase.clicked <= 2000)
    await until(page, () => showcase.audiostate() === 'running', null, 5000, 'the audio').catch(() => {})
    report.audiostate = await page.evaluate(() => showcase.audiostate())
    report.musicvolume = await page.evaluate(() => showcase.musicvolume)
    // The intro ignores keys, so every key may go to it; at least 10 frames a second meanwhile.
    const frames = await page.evaluate(() => showcase.frames)
    for (const key of ['ArrowRight', 'ArrowLeft', 'ArrowUp', 'ArrowDown', 'Enter', 'Escape', 'a', '+'])
      await page.keyboard.press(key)
    await sleep(3000)
    report.showkeys = await page.evaluate(() => showcase.keys.join(' '))
    report.paced = (await page.evaluate(() => showcase.frames)) - frames >= 30
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
    report.endtext = await text(page, '#end p')
    report.musicvolumeatend = await page.evaluate(() => showcase.musicvolume)
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

  // The published folder under a sub-path of the host: it plays, every file in it is one the page (or its
  // offline copy) asked for, and once visited it plays again without a network.
  async subpath(browser, base, report) {
    server.prefix = '/some/where/showcase/'
    const context = await browser.newContext()
    const page = await newpage(context, report)
    // Test mode's short run: the intro's first 120 frames on the virtual clock, no key script.
    await page.goto(`${base + server.prefix.slice(1)}?test&keys=&frames=120`)
    await until(page, () => window.showcase && showcase.endings === 1, null, 60000, 'the short run to end')
    report.online = await page.evaluate(() => showcase.framesums.length)
    // The offline copy fetches the rest of the page's files.
    await page.evaluate(() => navigator.serviceWorker.ready)
    await sleep(500)
    report.requested = [...server.requested].sort().join(' ')
    await context.setOffline(true)
    await page.reload()
    await until(page, () => window.showcase && showcase.endings === 1, null, 60000, 'the offline run to end')
    report.offline = await page.evaluate(() => showcase.framesums.length)
    report.offlineworker = await page.evaluate(() => !!navigator.serviceWorker.controller)
    await context.close()
  },
}

// --- a phone: the tour's key script done by touch gestures alone ---
// Right a swipe to the left, Left a tap on the left third, Enter a tap in the middle, Escape the Back control,
// Down and Up swipes up and down, a step for each key pressed.
async function touchrun(browser, base, report) {
  const [w, h] = String(rest[0] || '844x390').split('x').map(Number)
  const frames = Number(option('--frames') || 7010)
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
  await page.touchscreen.tap(w / 2, h / 2)
  await firstframe(page)
  report.backshown = await visible(page, '#back')

  // The tour by touch on the virtual clock, held at the frame after which each of the script's keys arrives
  // (the show's clock in whole milliseconds reaches the key's time). The next hold is set before a hold is
  // released, so that the unpaced run cannot pass it, and the key's gesture is made.
  const held = []
  for (const line of (await readFile(join(webdir, 'tour.keys'), 'utf8')).split('\n')) {
    const [seconds, key, times] = line.replace(/#.*/, '').trim().split(/\s+/)
    if (!key) continue
    const ms = Math.round(Number(seconds) * 1000)
    let tick = Math.ceil((ms * 60) / 1000)
    while (Math.floor((tick * 1000) / 60) < ms) tick++
    if (tick < frames) held.push({ tick, key: key.toLowerCase(), times: times ? Number(times.slice(1)) : 1 })
  }
  await page.goto(`${base}?test&sums&nosw&keys=&frames=${frames}&hold=${held.length ? held[0].tick : 0}`)
  const SWIPE = 24
  const STEP = 12
  const points = []
  let pressed = 0
  for (let i = 0; i < held.length; i++) {
    const { tick, key, times } = held[i]
    await until(page, () => window.showcase && (showcase.held || showcase.endings > 0), null, 600000, `frame ${tick}`)
    if (!(await page.evaluate(() => showcase.held))) break
    let want = times
    if (key === 'right') await swipe(w * 0.7, h / 2, w * 0.3, h / 2)
    else if (key === 'left') await page.touchscreen.tap(w / 6, h / 2)
    else if (key === 'enter') await page.touchscreen.tap(w / 2, h / 2)
    else if (key === 'escape') await page.tap('#back')
    else if (key === 'up' || key === 'down') {
      // One swipe gives as many steps as fit on the screen; longer runs take several.
      const most = Math.floor((h - 20 - SWIPE) / STEP) + 1
      for (let left = times; left > 0; left -= most) {
        const n = Math.min(left, most)
        const d = SWIPE + (n - 1) * STEP + STEP / 2
        const [y0, y1] = key === 'down' ? [h - 10, h - 10 - d] : [10, 10 + d]
        await swipe(w / 2, y0, w / 2, y1)
      }
    } else {
      want = 0
      report.untouched = (report.untouched || []).concat(key)
    }
    pressed += want
    await until(page, (n) => showcase.keys.length >= n, pressed, 5000, `the gesture for ${key}`).catch(() => {})
    const got = await page.evaluate(() => showcase.keys.length)
    if (got !== pressed) report.wrongkeys = (report.wrongkeys || []).concat(`${key} at ${tick}: ${got - pressed}`)
    pressed = got
    points.push(tick)
    await page.evaluate((next) => {
      showcase.release()
      showcase.holdat = next
    }, i + 1 < held.length ? held[i + 1].tick : 0)
  }
  await until(page, () => showcase.endings === 1, null, 1200000, 'the touch tour to end')
  // The screen just before each key, and the last one, for the test to hold against the key tour's.
  points.push(frames)
  report.points = points.join(' ')
  report.framesums = (await page.evaluate(() => showcase.framesums)).join(' ')
  await context.close()
}

// Modes that open a page of their own take the browser; the others get a fresh page.
const onpage = (run) => async (browser, base, report) => run(await newpage(browser, report), base, report)
drive(
  {
    frames: onpage(framesrun),
    loudness: onpage(loudnessrun),
    page: (browser, base, report) => {
      if (!(rest[0] in SCENARIOS)) throw new Error(`no page scenario ${rest[0]}: ${Object.keys(SCENARIOS).join(', ')}`)
      return SCENARIOS[rest[0]](browser, base, report)
    },
    touch: touchrun,
  },
  `; page scenarios: ${Object.keys(SCENARIOS).join(', ')}`,
)
