// Offline replay: keeps the page's own files, as this build published them, and answers from them first.
// A new build has another version (a hash of its files), so the browser installs it in place of this one.
const VERSION = '@VERSION@'
const FILES = @FILES@
const CACHE = `showcase-${VERSION}`

self.addEventListener('install', (event) => {
  event.waitUntil(
    caches
      .open(CACHE)
      .then((cache) => cache.addAll(FILES.map((f) => new Request(f, { cache: 'reload' }))))
      .then(() => self.skipWaiting()),
  )
})

self.addEventListener('activate', (event) => {
  event.waitUntil(
    caches
      .keys()
      .then((names) => Promise.all(names.filter((n) => n.startsWith('showcase-') && n !== CACHE).map((n) => caches.delete(n))))
      .then(() => self.clients.claim()),
  )
})

// Only this site's own files are answered from the copy (the page's parameters aside); anything else, and
// anything from other hosts, goes to the network as usual.
self.addEventListener('fetch', (event) => {
  const request = event.request
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return
  event.respondWith(
    caches
      .open(CACHE)
      .then((cache) => cache.match(request, { ignoreSearch: true }))
      .then((kept) => kept || fetch(request)),
  )
})
