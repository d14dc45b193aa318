// The page around the show: it loads one of the two programs and the packed data tree, opens the audio on
// the viewer's first click, key or tap, shows the frames on the canvas scaled by whole multiples, passes the
// keys (or the touch gestures, as keys) on, plays the music, and ends on a screen with a button to watch
// again. Whatever goes wrong while it sets up ends on a message, and without an audio worklet the show plays
// without sound and says so.
//
// URL parameters, read once into `options` below: mode=fixed plays the fixed-mode presentation (the default
// is mode switching); debug passes the program's standard output to the console; test runs on the virtual
// 60 Hz clock without sound, with the key script keys= (default tour.keys, none for keys=) and at most
// frames= shown frames; with sums it collects a checksum of every shown frame in showcase.framesums.
// scale=N (1 to 8) draws the 3D parts N times larger; scale=auto takes the largest N whose screen fits the
// page as it is when the show loads.
const params = new URLSearchParams(location.search)
const MAXSCALE = 8
function scaleoption(value, fixedmode) {
  if (value === 'auto') {
    const ratio = window.devicePixelRatio || 1
    const w = (fixedmode ? 640 : 320) / ratio
    const h = (fixedmode ? 480 : 240) / ratio
    const fit = Math.floor(Math.min(window.innerWidth / w, window.innerHeight / h))
    return Math.max(1, Math.min(MAXSCALE, fit))
  }
  const n = Number(value)
  return Number.isInteger(n) && n >= 1 && n <= MAXSCALE ? n : 1
}
const options = {
  fixedmode: params.get('mode') === 'fixed',
  scale: scaleoption(params.get('scale'), params.get('mode') === 'fixed'),
  test: params.has('test'),
  debug: params.has('debug'),
  keys: params.has('keys') ? params.get('keys') : 'tour.keys',
  hold: Number(params.get('hold')) || 0, // test mode: hold the run after this frame (see showcase.holdat)
  frames: params.get('frames'),
  sums: params.has('sums'),
}
const testmode = options.test
const program = options.fixedmode ? 'showcase' : 'showcase-fs'
const factoryname = options.fixedmode ? 'createShowcase' : 'createShowcaseFs'

const $ = (id) => document.getElementById(id)
const canvas = $('screen')
const context = canvas.getContext('2d')
const startscreen = $('start')
const statusline = $('status')
const noticeline = $('notice')
const endscreen = $('end')
const againbutton = $('again')
const closebutton = $('close')
const backbutton = $('back')

// A touch screen steers by gestures; a phone also turns to landscape when it goes full screen.
const touchdevice = navigator.maxTouchPoints > 0 || matchMedia('(pointer: coarse)').matches
const phone = touchdevice && Math.min(screen.width, screen.height) < 600

// What the tests and the curious can look at.
const showcase = {
  program,
  scale: options.scale, // the 3D parts drawn this many times larger (--scale)
  testmode,
  touchdevice,
  state: 'loading', // loading, ready (waiting for the start), running, ended, failed
  endings: 0, // runs that have ended
  frames: 0, // frames drawn on the canvas
  framesums: [], // test mode: one checksum per shown frame (0 unless sums are asked for)
  frametimes: [], // test mode: the page time at which each frame was shown
  clicked: 0, // page time of the click that started the show
  called: 0, // page time at which the program started
  setup: 0, // milliseconds the program took to set up before it could start
  firstframe: 0, // page time of the first frame after it
  audiostate: () => (audio ? audio.context.state : 'none'),
  sound: '', // why the show plays without sound, when it does
  musicvolume: -1,
  // Test mode: the run stops after this many shown frames until release() (touch gestures at exact frames).
  holdat: 0, // set from options below
  held: false,
  release: () => {},
  keys: [], // the keys passed to the show, as the show gets them
}
showcase.holdat = options.hold
window.showcase = showcase

function say(text) {
  statusline.textContent = text
}

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
const MODIFIERS = new Set(['Shift', 'Control', 'Alt', 'Meta', 'AltGraph', 'CapsLock', 'NumLock', 'Tab'])
const REPEAT = 0x10000

function presskey(code) {
  keys.push(code)
  showcase.keys.push(code)
}

function togglefullscreen() {
  if (document.fullscreenElement) document.exitFullscreen().catch(() => {})
  else document.documentElement.requestFullscreen().catch(() => {})
}

window.addEventListener('keydown', (e) => {
  // Tab moves the focus; a focused button takes its own Enter and Space.
  if (MODIFIERS.has(e.key) || e.ctrlKey || e.metaKey) return
  if (e.target instanceof HTMLButtonElement && (e.key === 'Enter' || e.key === ' ')) return
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
  if (!endscreen.hidden) {
    if ((e.key === 'Enter' || e.key === ' ') && !e.repeat) watchagain()
    return
  }
  if (!startscreen.hidden) {
    if (!e.repeat) askstart()
    return
  }
  if (showcase.state === 'running') presskey(virtualkey(e) | (e.repeat ? REPEAT : 0))
})

// --- touch: a tap chooses (or turns the menu on the left and right thirds), a swipe across turns the menu,
// a swipe up or down moves the gallery bar and, a step for every few pixels, scrolls a picture ---
const SWIPE = 24 // CSS pixels before a touch counts as a swipe
const SCROLLSTEP = 12 // CSS pixels of a vertical swipe for each further step
const TAPMS = 600
let touch = null

window.addEventListener('pointerdown', (e) => {
  if (e.pointerType !== 'touch' || touch || (e.target.closest && e.target.closest('button'))) return
  touch = { id: e.pointerId, x: e.clientX, y: e.clientY, t: performance.now(), axis: '', steps: 0 }
})
window.addEventListener('pointermove', (e) => {
  if (!touch || e.pointerId !== touch.id || showcase.state !== 'running') return
  const dx = e.clientX - touch.x
  const dy = e.clientY - touch.y
  if (!touch.axis) {
    if (Math.hypot(dx, dy) < SWIPE) return
    touch.axis = Math.abs(dx) > Math.abs(dy) ? 'x' : 'y'
    // The content follows the finger: a swipe to the left brings the next item in from the right.
    if (touch.axis === 'x') presskey(dx < 0 ? VK.ArrowRight : VK.ArrowLeft)
  }
  if (touch.axis === 'y') {
    const steps = Math.floor((Math.abs(dy) - SWIPE) / SCROLLSTEP) + 1
    for (; touch.steps < steps; touch.steps++) presskey((dy < 0 ? VK.ArrowDown : VK.ArrowUp) | (touch.steps ? REPEAT : 0))
  }
})
function touchend(e) {
  if (!touch || e.pointerId !== touch.id) return
  const t = touch
  touch = null
  if (e.type !== 'pointerup' || t.axis || performance.now() - t.t > TAPMS) return
  if (!startscreen.hidden || !endscreen.hidden) return // the screens take their own taps (click)
  if (showcase.state !== 'running') return
  const third = window.innerWidth / 3
  presskey(e.clientX < third ? VK.ArrowLeft : e.clientX > 2 * third ? VK.ArrowRight : VK.Enter)
}
window.addEventListener('pointerup', touchend)
window.addEventListener('pointercancel', touchend)

// The first tap on a touch screen also asks for the full screen, and on a phone for landscape.
function fullscreenfortouch() {
  if (!touchdevice || testmode || document.fullscreenElement) return
  const root = document.documentElement
  if (!root.requestFullscreen) return
  root
    .requestFullscreen({ navigationUI: 'hide' })
    .then(() => (phone && screen.orientation && screen.orientation.lock ? screen.orientation.lock('landscape') : 0))
    .catch(() => {})
}

// --- the canvas: the frame scaled by the largest whole multiple that fits, unless that leaves much of a small
// screen empty (a phone's 640-pixel picture once over); then, and below one, by the largest 4:3 that fits ---
const WHOLEENOUGH = 1.25 // a fitting scale this much larger than the whole multiple is taken instead
function fitcanvas() {
  const ratio = window.devicePixelRatio || 1
  const w = canvas.width
  const h = canvas.height
  const pw = window.innerWidth * ratio
  const ph = window.innerHeight * ratio
  const fit = Math.min(pw / w, ph / h)
  const k = Math.floor(fit)
  const scale = k >= 1 && fit < k * WHOLEENOUGH ? k : fit
  canvas.style.width = `${(w * scale) / ratio}px`
  canvas.style.height = `${(h * scale) / ratio}px`
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
const holding = () => showcase.holdat > 0 && showcase.framesums.length >= showcase.holdat
async function yieldnow() {
  if (holding()) {
    showcase.held = true
    await new Promise((resolve) => {
      showcase.release = () => {
        showcase.holdat = 0
        showcase.held = false
        resolve()
      }
    })
  }
  return new Promise((resolve) => {
    yielding.push(resolve)
    channel.port2.postMessage(0)
  })
}

// --- the music: libopenmpt in an audio worklet; the show's volume 0..64 and the viewer's own level ---
let audio = null
let audioopening = null
// The viewer's own level on the player's scale, as the desktop programs keep it: 0 silence .. 64, 40 the
// show's own level, steps of 4; it scales whatever the show sets, so the exit still fades to silence.
const VOLUME_FULL = 64
const VOLUME_NORMAL = 40
const VOLUME_STEP = 4
let userlevel = VOLUME_NORMAL
let muted = false
const usergain = () => (muted ? 0 : userlevel / VOLUME_NORMAL)
const NOTICEMS = 10000 // milliseconds the line about the missing sound stays into the show
const PLAYERWAIT = 15000 // milliseconds the music player may take to start before the show goes on without

// Why this browser cannot play the music here, or '' when it can. Browsers give audio worklets to secure
// origins only: https, or the machine's own address.
function whynosound() {
  if (!window.AudioContext) return 'this browser has no Web Audio'
  if (!window.isSecureContext)
    return 'browsers give a page sound (an audio worklet) only over https or from this machine itself'
  if (!('audioWorklet' in AudioContext.prototype) || typeof AudioWorkletNode === 'undefined')
    return 'this browser has no audio worklets'
  return ''
}

function nosound(why) {
  audio = null
  showcase.sound = why
  noticeline.textContent =
    `Playing without sound: ${why}. For sound, open the show over https, or on the machine that built it ` +
    'run make serve and open http://127.0.0.1:8000/.'
  noticeline.hidden = false
}

// The audio graph and the player load while the start screen shows; the click only resumes the context.
function openaudio() {
  if (!audioopening) audioopening = openaudionow().catch((e) => nosound(`the music player cannot start (${e.message || e})`))
  return audioopening
}
async function openaudionow() {
  const why = whynosound()
  if (why) {
    nosound(why)
    return
  }
  const ctx = new AudioContext()
  const { ChiptuneJsPlayer } = await import('./chiptune3/chiptune3.js')
  const player = new ChiptuneJsPlayer({ context: ctx, repeatCount: -1 })
  const user = ctx.createGain()
  user.gain.value = usergain()
  player.gain.connect(user)
  user.connect(ctx.destination)
  player.onError((e) => console.warn(`showcase: the music player reports ${e && e.type}`))
  audio = { context: ctx, player, user }
  let timer
  const late = new Promise((resolve, reject) => {
    timer = setTimeout(() => reject(new Error('it did not start in time')), PLAYERWAIT)
  })
  await Promise.race([new Promise((resolve) => player.onInitialized(resolve)), late])
  clearTimeout(timer)
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
  // Tells the program to hand over the event loop at once when a test holds the run at this frame.
  framesum: (sum) => {
    showcase.framesums.push(sum)
    showcase.frametimes.push(performance.now())
    return holding() ? 1 : 0
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
let lastcomplaint = '' // the program's last line on its error output
let startwhenready = false // the viewer asked before the program was ready
async function launch() {
  if (!window[factoryname]) await loadscript(`${program}.js`)
  const run = await window[factoryname]({
    page,
    noInitialRun: true,
    // The engine's start-up progress lines are for the desktop's terminal; here only with ?debug.
    print: (text) => options.debug && console.log(text),
    printErr: (text) => {
      lastcomplaint = text
      console.warn(text)
    },
    onAbort: (what) => reporterror(new Error(`the program stopped (${what})`)),
  })
  const args = ['--data', '/data']
  if (options.scale > 1) args.push('--scale', String(options.scale))
  if (testmode) {
    args.push('--headless')
    if (options.keys) {
      const script = await fetch(options.keys)
      if (!script.ok) throw new Error(`cannot load the key script ${options.keys} (${script.status})`)
      // Under its own name, which the program's complaints about it then give.
      const name = '/keys/' + (options.keys.split('/').pop().replace(/[?#].*/, '') || 'keys')
      run.FS.mkdir('/keys')
      run.FS.writeFile(name, new Uint8Array(await script.arrayBuffer()))
      args.push('--keys', name)
    }
    if (options.frames !== null) args.push('--frames', options.frames)
    if (options.sums) args.push('--capture', 'framesums')
  }
  showcase.called = performance.now()
  // A program that stops before its first wait returns at once: its complaint is the page's message.
  const code = run.callMain(args)
  if (code && showcase.state === 'loading') throw new Error(lastcomplaint || `the program ended (${code})`)
}

// Called by the program when it is ready to play: the music and the intro follow as soon as this resolves.
function waitforstart() {
  return new Promise((resolve) => {
    startrun = resolve
    showcase.state = 'ready'
    showcase.setup = performance.now() - showcase.called
    if (!startwhenready) say(options.fixedmode ? 'fixed-mode presentation' : '')
    if (testmode || startwhenready) start().catch(reporterror)
  })
}

// The viewer's click, key or tap: the show starts now, or as soon as it is ready.
function askstart() {
  fullscreenfortouch()
  if (showcase.state === 'failed') return
  if (showcase.state === 'ready') {
    start().catch(reporterror)
    return
  }
  startwhenready = true
  say('starting\u2026')
  // The gesture lets the sound start; the context resumes now, while the browser still counts it.
  if (audio) audio.context.resume().catch(() => {})
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
  backbutton.hidden = !touchdevice
  keys.length = 0
  clearcanvas()
  if (!testmode) {
    await openaudio()
    if (audio) audio.context.resume().catch(() => {})
  }
  // Why there is no sound stays a while into the show, then leaves the frame alone until the end screen.
  if (showcase.sound) setTimeout(() => (noticeline.hidden = showcase.state === 'running'), NOTICEMS)
  const go = startrun
  startrun = null
  go()
}

function reporterror(e) {
  if (showcase.state === 'failed') return
  console.error(e)
  showcase.state = 'failed'
  say(`The show cannot start: ${e.message || e}. Reloading the page may help.`)
  statusline.classList.add('failure')
  startscreen.hidden = false
  endscreen.hidden = true
  closebutton.hidden = true
  backbutton.hidden = true
}

// A failure before the show runs (a missing file, a program that cannot start) must not leave "loading…".
window.addEventListener('error', (e) => {
  if (showcase.state === 'loading' || showcase.state === 'ready') reporterror(e.error || new Error(e.message))
})
window.addEventListener('unhandledrejection', (e) => {
  if (showcase.state === 'loading' || showcase.state === 'ready') reporterror(e.reason || new Error('a failure'))
})

function ended() {
  // A program that ends before it was ready to play could not set up: say why rather than start it again.
  if (showcase.state === 'loading') {
    reporterror(new Error(lastcomplaint || 'the program ended while setting up'))
    return
  }
  showcase.state = 'ended'
  showcase.endings++
  closebutton.hidden = true
  backbutton.hidden = true
  document.body.classList.remove('nocursor')
  if (testmode) return
  endscreen.hidden = false
  noticeline.hidden = !showcase.sound
  againbutton.focus({ preventScroll: true })
  // The next run starts while the end screen shows: a fresh program, with all of the show's state new.
  setTimeout(() => launch().catch(reporterror), 0)
}

function watchagain() {
  if (showcase.state === 'ready') start().catch(reporterror)
  else if (showcase.state !== 'running') startwhenready = true
}

function closeshow() {
  if (showcase.state === 'running') keys.push(-1)
}

// The start screen's own words for the device it is shown on.
if (touchdevice) {
  $('starttext').textContent = 'tap to start'
  $('steer').textContent =
    'swipe left or right (or tap the left or right third) to turn the menu, tap to choose, ' +
    'swipe up or down to move in the gallery and scroll a picture, Back to step back'
}

startscreen.addEventListener('click', askstart)
againbutton.addEventListener('click', watchagain)
closebutton.addEventListener('click', closeshow)
// The Back control answers a finger as soon as it lifts (a click may not follow a tap that comes right after
// a swipe), and a mouse or a key by its click.
let backbytouch = 0
backbutton.addEventListener('pointerup', (e) => {
  if (e.pointerType !== 'touch' || showcase.state !== 'running') return
  backbytouch = performance.now()
  presskey(VK.Escape)
})
backbutton.addEventListener('click', (e) => {
  if (showcase.state === 'running' && performance.now() - backbytouch > TAPMS) presskey(VK.Escape)
  // A keyboard's Enter goes to the show again, not to this button, unless the keyboard chose the button.
  if (e.detail > 0) backbutton.blur()
})
window.addEventListener('pagehide', closeshow)

// Offline replay: the service worker keeps the page's own files (?nosw goes without it).
if ('serviceWorker' in navigator && !params.has('nosw')) {
  navigator.serviceWorker.register('sw.js').catch((e) => console.warn(`showcase: no offline copy (${e.message || e})`))
}

say('loading\u2026')
if (!testmode) openaudio()
launch().catch(reporterror)
if (window.startasked && !testmode) askstart()
