// Paths of the builds the web tests use, and the page's WebAssembly module
// loaded in Node. TESSEL_WEB_BUILD and TESSEL_NATIVE_BUILD name other build
// folders than build-web and build.
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';

export const root = fileURLToPath(new URL('../..', import.meta.url));
export const webBuild = process.env.TESSEL_WEB_BUILD ?? join(root, 'build-web');
export const nativeBuild = process.env.TESSEL_NATIVE_BUILD ?? join(root, 'build');

// An instance of the page's module (tessel.js), as the page makes one.
export function loadTesselModule() {
  const createTessel = createRequire(import.meta.url)(join(webBuild, 'web', 'tessel.js'));
  return createTessel({ wasmBinary: readFileSync(join(webBuild, 'web', 'tessel.wasm')) });
}
