// The page around the show: it loads one of the two programs and the packed data tree, opens the audio on
// the viewer's first click or key, shows the frames on the canvas scaled by whole multiples, passes the
// keys on, plays the music, and ends on a screen with a button to watch again.
//
// URL parameters: mode=fixed plays the fixed-mode presentation (the default is mode switching);
// test runs on the virtual 60 Hz clock without sound, with the key script keys= (default tour.keys)
// and at most frames= shown frames; with sums it collects a checksum of every shown frame in
// showcase.framesums.
import { ChiptuneJsPlayer } from './chiptune3/chiptune3.js'

const params = new URLSearchParams(location.search)
const fixedmode = params.get('mode') === 'fixed'
const testmode = params.has('test')
const program = fixedmode ? 'showcase' : 'showcase-fs'
const factoryname = fixedmode ? 'createShowcase' : 'createShowcaseFs'

const canvas = document.getElementById('screen')
const context = canvas.getContext('2d')
const startscreen = document.getElementById('start')
const statusline = document.getElementById('status')
const endscreen = document.getElementById('end')
const againbutton = document.getElementById('again')
const closebutton = document.getElementById('close')

// What the tests and the curious can look at.
const showcase = {
  program,
  testmode,
  state: 'loading', // loading, ready (waiting for the start), running, ended
  endings: 0, // runs that have ended
  frames: 0, // frames drawn on the canvas
  framesums: [], // test mode: one checksum per shown frame (0 unless sums are asked for)
  frametimes: [], // test mode: the page time at which each frame was shown
  clicked: 0, // page time of the click that started the show
  called: 0, // page time at which the program started
  setup: 0, // milliseconds the program took to set up before it could start
  firstframe: 0, // page time of the first frame after it
  audiostate: () => (audio ? audio.context.state : 'none'),
  musicvolume: -1,
}
window.showcase = showcase

// --- the keys: the show's keys as virtual-key codes; full screen and the volume stay on the page ---
const keys = []
const VK = {
  Enter: 0x0d, Escape: 0x1b, ' ': 0x20, ArrowLeft: 0x25, ArrowUp: 0x26, ArrowRight: 0x27, ArrowDown: 0x28,
}
function virtualkey(e) {
  if (e.key in VK) return VK[e.key]
  if (e.key.length === 1) {
    const c = e.key.toUpperCase().charCodeAt(0)
    if ((c >= 0x41 && c <= 0x5a) || (c >= 0x30 && c <= 0x39)) return c
  }
  return 0xff // some other key
}
const MODIFIERS = new Set(['Shift', 'Control', 'Alt', 'Meta', 'AltGraph', 'CapsLock', 'NumLock'])

function togglefullscreen() {
  if (document.fullscreenElement) document.exitFullscreen().catch(() => {})
  else document.documentElement.requestFullscreen().catch(() => {})
}

window.addEventListener('keydown', (e) => {
  if (MODIFIERS.has(e.key) || e.ctrlKey || e.metaKey) return
  // The page keeps what it handles from the browser (scrolling, find); other keys keep their own meaning too.
  if (e.key in VK || e.key.length === 1) e.preventDefault()
  if ((e.key === 'Enter' && e.altKey) || e.key === 'f' || e.key === 'F') {
    if (!e.repeat) togglefullscreen()
    return
  }
  if (e.key === '+' || e.key === '=' || e.key === '-' || e.key === 'm' || e.key === 'M') {
    if (!e.repeat || e.key !== 'm') uservolumekey(e.key.toLowerCase())
    return
  }
  if (showcase.state === 'ready' && !startscreen.hidden) {
    if (!e.repeat) start().catch(reporterror)
    return
  }
  if (showcase.state === 'running') keys.push(virtualkey(e) | (e.repeat ? 0x10000 : 0))
})

// --- the canvas: the frame scaled by the largest whole multiple that fits, else the largest 4:3 ---
function fitcanvas() {
  const ratio = window.devicePixelRatio || 1
  const w = canvas.width
  const h = canvas.height
  const pw = window.innerWidth * ratio
  const ph = window.innerHeight * ratio
  const k = Math.floor(Math.min(pw / w, ph / h))
  let dw, dh
  if (k >= 1) {
    dw = w * k
    dh = h * k
  } else if (pw * 3 <= ph * 4) {
    dw = pw
    dh = (pw * 3) / 4
  } else {
    dh = ph
    dw = (ph * 4) / 3
  }
  canvas.style.width = `${dw / ratio}px`
  canvas.style.height = `${dh / ratio}px`
}
window.addEventListener('resize', fitcanvas)
fitcanvas()

let image = null
function draw(rgba, width, height) {
  if (canvas.width !== width || canvas.height !== height) {
    canvas.width = width
    canvas.height = height
    fitcanvas()
  }
  if (!image || image.width !== width || image.height !== height) image = new ImageData(width, height)
  image.data.set(rgba)
  context.putImageData(image, 0, 0)
  showcase.frames++
  if (!showcase.firstframe && showcase.clicked) showcase.firstframe = performance.now()
}

function clearcanvas() {
  context.fillStyle = '#000'
  context.fillRect(0, 0, canvas.width, canvas.height)
}

// --- waiting: the display's next frame, or a moment of the event loop ---
function nextframe() {
  return new Promise((resolve) => {
    let done = false
    const finish = (t) => {
      if (done) return
      done = true
      resolve(t)
    }
    requestAnimationFrame(finish)
    // A hidden page gets no animation frames; the show keeps time by the clock instead.
    if (document.hidden) setTimeout(() => finish(performance.now()), 1000 / 60)
  })
}
const channel = new MessageChannel()
const yielding = []
channel.port1.onmessage = () => yielding.shift()()
function yieldnow() {
  return new Promise((resolve) => {
    yielding.push(resolve)
    channel.port2.postMessage(0)
  })
}

// --- the music: libopenmpt in an audio worklet; the show's volume 0..64 and the viewer's own level ---
let audio = null
// The viewer's own level on the player's scale, as the desktop programs keep it: 0 silence .. 64, 40 the
// show's own level, steps of 4; it scales whatever the show sets, so the exit still fades to silence.
const VOLUME_FULL = 64
const VOLUME_NORMAL = 40
const VOLUME_STEP = 4
let userlevel = VOLUME_NORMAL
let muted = false
const usergain = () => (muted ? 0 : userlevel / VOLUME_NORMAL)

// The audio graph and the player load while the start screen shows; the click only resumes the context.
function openaudio() {
  const ctx = new AudioContext()
  const player = new ChiptuneJsPlayer({ context: ctx, repeatCount: -1 })
  const user = ctx.createGain()
  user.gain.value = usergain()
  player.gain.connect(user)
  user.connect(ctx.destination)
  player.onError((e) => console.warn(`showcase: the music player reports ${e && e.type}`))
  const ready = new Promise((resolve) => player.onInitialized(resolve))
  audio = { context: ctx, player, user, ready }
  return ready
}

function uservolumekey(key) {
  if (key === 'm') muted = !muted
  else if (key === '-') userlevel = Math.max(0, userlevel - VOLUME_STEP)
  else userlevel = Math.min(VOLUME_FULL, userlevel + VOLUME_STEP)
  if (key !== 'm') muted = false
  if (audio) audio.user.gain.setValueAtTime(usergain(), audio.context.currentTime)
}

function musicvolume(v) {
  showcase.musicvolume = v
  if (audio) audio.player.gain.gain.setValueAtTime(v / 64, audio.context.currentTime)
}
function musicplay(buffer) {
  if (audio) audio.player.play(buffer)
}
function musicstop() {
  if (audio) audio.player.stop()
}

// --- the program ---
const page = {
  nextframe,
  yield: yieldnow,
  draw,
  takekey: () => (keys.length ? keys.shift() : 0),
  showcursor: (show) => document.body.classList.toggle('nocursor', !show),
  framesum: (sum) => {
    showcase.framesums.push(sum)
    showcase.frametimes.push(performance.now())
  },
  ended,
  waitforstart,
  musicplay,
  musicvolume,
  musicstop,
}

function loadscript(src) {
  return new Promise((resolve, reject) => {
    const s = document.createElement('script')
    s.src = src
    s.onload = resolve
    s.onerror = () => reject(new Error(`cannot load ${src}`))
    document.head.appendChild(s)
  })
}

// A run of the program starts as soon as it is loaded: it reads the data tree and sets everything up behind
// the start screen (or the end screen of the run before), and waits for the viewer's start just before the
// music and the intro begin.
let startrun = null // resolves the waiting program's start
let startwhenready = false // the viewer asked before the program was ready
async function launch() {
  if (!window[factoryname]) await loadscript(`${program}.js`)
  const run = await window[factoryname]({
    page,
    noInitialRun: true,
    print: (text) => console.log(text),
    printErr: (text) => console.warn(text),
  })
  const args = ['--data', '/data']
  if (testmode) {
    const script = await fetch(params.get('keys') || 'tour.keys')
    if (!script.ok) throw new Error(`cannot load the key script (${script.status})`)
    run.FS.writeFile('/keys.txt', new Uint8Array(await script.arrayBuffer()))
    args.push('--headless', '--keys', '/keys.txt')
    if (params.has('frames')) args.push('--frames', params.get('frames'))
    if (params.has('sums')) args.push('--capture', 'framesums')
  }
  showcase.called = performance.now()
  run.callMain(args)
}

// Called by the program when it is ready to play: the music and the intro follow as soon as this resolves.
function waitforstart() {
  return new Promise((resolve) => {
    startrun = resolve
    showcase.state = 'ready'
    showcase.setup = performance.now() - showcase.called
    statusline.textContent = fixedmode ? 'fixed-mode presentation' : ''
    if (testmode || startwhenready) start()
  })
}

async function start() {
  startwhenready = false
  if (showcase.state !== 'ready') return
  showcase.state = 'running'
  showcase.clicked = performance.now()
  showcase.firstframe = 0
  startscreen.hidden = true
  endscreen.hidden = true
  closebutton.hidden = false
  keys.length = 0
  clearcanvas()
  if (!testmode) {
    if (!audio) openaudio()
    audio.context.resume().catch(() => {})
    await audio.ready
  }
  const go = startrun
  startrun = null
  go()
}

function reporterror(e) {
  console.error(e)
  statusline.textContent = `The show cannot start: ${e.message || e}`
  startscreen.hidden = false
}

function ended() {
  showcase.state = 'ended'
  showcase.endings++
  closebutton.hidden = true
  document.body.classList.remove('nocursor')
  if (testmode) return
  endscreen.hidden = false
  // The next run starts while the end screen shows: a fresh program, with all of the show's state new.
  setTimeout(() => launch().catch(reporterror), 0)
}

function closeshow() {
  if (showcase.state === 'running') keys.push(-1)
}

startscreen.addEventListener('click', () => start().catch(reporterror))
againbutton.addEventListener('click', () => {
  if (showcase.state === 'ready') start().catch(reporterror)
  else startwhenready = true
})
closebutton.addEventListener('click', closeshow)
window.addEventListener('pagehide', closeshow)

if (!testmode) openaudio()
launch().catch(reporterror)
