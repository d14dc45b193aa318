// The browser build's figures in headless Chromium, as the README quotes them; prints one JSON object.
//
//   node bench/browser.mjs SITE figures          what a first visit downloads (and gzipped, and with brotli),
//                                                the time to the start screen and from the click to the
//                                                first frame
//   node bench/browser.mjs SITE speed [--scale K]  unpaced menu turns in test mode (?scale=K): milliseconds
//                                                a frame, fastest, first quartile and median
import { readFile } from 'node:fs/promises'
import { join } from 'node:path'
import { drive, firstframe, newpage, option, server, until, webdir } from '../web/headless.mjs'

async function figures(browser, base, report) {
  const page = await newpage(browser, report)
  const t0 = Date.now()
  await page.goto(base + '?nosw')
  await until(page, () => window.showcase && showcase.state === 'ready', null, 60000, 'the page to load')
  report.loadtostartms = Date.now() - t0
  report.download = server.served
  report.setupms = await page.evaluate(() => showcase.setup)
  await page.click('#start')
  await firstframe(page)
  report.clicktofirstframems = await page.evaluate(() => showcase.firstframe - showcase.clicked)
  // What a host that serves the compressed copies sends instead.
  for (const z of ['gz', 'br']) {
    let n = 0
    for (const f of server.requested) {
      try {
        n += (await readFile(join(webdir, `${f}.${z}`))).length
      } catch {
        n += (await readFile(join(webdir, f))).length
      }
    }
    report[z === 'gz' ? 'downloadgzipped' : 'downloadbrotli'] = n
  }
}

// A script that turns the menu again and again after the intro, unpaced.
async function speed(browser, base, report) {
  const page = await newpage(browser, report)
  const turns = 120
  server.extra['/speed.keys'] = `60.0 Right x${turns}\n`
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

drive({ figures, speed })
