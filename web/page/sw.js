// Keeps the page working offline after its first load: every file it fetches
// is kept, and served from the cache when the network fails. The network
// comes first, so a new build is seen at once.
const kCache = 'tessel-page';

self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  event.respondWith(
    fetch(event.request)
      .then((response) => {
        const copy = response.clone();
        caches.open(kCache).then((cache) => cache.put(event.request, copy));
        return response;
      })
      .catch(() => caches.match(event.request)),
  );
});
