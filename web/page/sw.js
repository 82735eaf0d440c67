// Keeps the page working offline after its first load: its files are kept
// when the service worker is installed, and served from the cache when the
// network fails. The network comes first, so a new build is seen at once.
const kCache = 'tessel-page';
const kFiles = ['./', 'index.html', 'style.css', 'app.js', 'board.js', 'engine.js', 'game.js',
  'judge.js', 'protocol.js', 'record.js', 'rules.js', 'worker.js', 'tessel.js', 'tessel.wasm'];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(kCache).then((cache) => cache.addAll(kFiles)).then(() => self.skipWaiting()));
});

// The page that installed it is served from the start.
self.addEventListener('activate', (event) => event.waitUntil(self.clients.claim()));

self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  event.respondWith(
    fetch(event.request)
      .then((response) => {
        const copy = response.clone();
        if (response.ok) caches.open(kCache).then((cache) => cache.put(event.request, copy));
        return response;
      })
      .catch(() => caches.match(event.request, { ignoreSearch: true })),
  );
});
