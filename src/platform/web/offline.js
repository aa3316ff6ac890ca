// Installs the page's service worker, which keeps the whole site so the
// game starts with no network. A new version of the site is fetched in the
// background and waits; it takes over once this page has everything it
// needs loaded, so the page that is running never mixes two versions, and
// the next visit plays the new one.
(function () {
  'use strict';

  if (!('serviceWorker' in navigator) || !window.isSecureContext) return;

  function whenLoaded(action) {
    if (document.body.dataset.game !== 'loading') {
      action();
      return;
    }
    const watcher = new MutationObserver(() => {
      if (document.body.dataset.game === 'loading') return;
      watcher.disconnect();
      action();
    });
    watcher.observe(document.body, { attributes: true, attributeFilter: ['data-game'] });
  }

  function takeOverWhenReady(registration) {
    const tell = () => {
      if (registration.waiting) registration.waiting.postMessage('take-over');
    };
    if (registration.waiting) whenLoaded(tell);
    registration.addEventListener('updatefound', () => {
      const worker = registration.installing;
      if (!worker) return;
      worker.addEventListener('statechange', () => {
        if (worker.state === 'installed') whenLoaded(tell);
      });
    });
  }

  window.addEventListener('load', () => {
    navigator.serviceWorker.register('sw.js').then(takeOverWhenReady, (error) => {
      console.warn('Duskwarren: the page cannot be kept for offline play:', error);
    });
  });
})();
