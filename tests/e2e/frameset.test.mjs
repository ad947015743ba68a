// SPDX-License-Identifier: GPL-3.0-or-later
// Converts the example export with harrowdeck-make and opens the result in
// headless Chromium: the checks look at the rendered frames, so they fail
// whenever a browser would not show the folders and links as intended.
//
// Environment: HARROWDECK_MAKE (the built tool), HARROWDECK_EXAMPLE (the
// export to convert), HARROWDECK_NESTED (a nested export for --folders all),
// CHROMIUM (defaults to /usr/bin/chromium).
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';

const makeTool = requiredEnv('HARROWDECK_MAKE');
const exampleExport = requiredEnv('HARROWDECK_EXAMPLE');
const nestedExport = requiredEnv('HARROWDECK_NESTED');
const browserPath = process.env.CHROMIUM || '/usr/bin/chromium';

// What examples/bookmarks.htm holds: the empty folder is dropped and the
// nested folder's link joins "Tools".
const FOLDERS = [
  { name: 'News', links: ['https://news.example.org/', 'https://weather.example.org/today'] },
  {
    name: 'Tools',
    links: [
      'https://tools.example.org/convert',
      'https://editor.example.org/',
      'https://tools.example.org/calendar',
    ],
  },
  { name: 'Music', links: ['https://radio.example.net/live'] },
];

// What tests/data/nested/export.htm gives with --folders all: the root's
// links first, then each folder with links of its own, its page headed by
// its path and its index entry showing its own name.
const NESTED_FOLDERS = [
  { name: 'Bookmarks Menu', links: ['https://start.example.org/', 'https://example.com/later'] },
  { name: 'Bookmarks Toolbar', links: ['https://mail.example.org/', 'https://docs.example.org/'] },
  {
    name: 'Bookmarks Toolbar / News & Weather',
    entry: 'News & Weather',
    links: ['https://news.example.org/', 'https://weather.example.org/today?city=G%C3%B6teborg&units=metric'],
  },
  { name: 'Bookmarks Toolbar / Work', entry: 'Work', links: ['https://calendar.example.org/'] },
  {
    name: 'Bookmarks Toolbar / Work / Projects / Harrowdeck',
    entry: 'Harrowdeck',
    links: ['https://git.example.org/harrowdeck', 'https://ci.example.org/harrowdeck'],
  },
  {
    name: '... / Work / Projects / Harrowdeck / Releases',
    entry: 'Releases',
    links: ['https://git.example.org/harrowdeck/releases/1.1'],
  },
  { name: 'Music', links: ['https://radio.example.net/live'] },
  { name: 'Archive / 2019', entry: '2019', links: ['https://photos.example.org/2019/summer'] },
  { name: '... / Dialects / West coast / Gothenburg / Slang', entry: 'Slang', links: ['https://words.example.se/gbg'] },
];

// Its index as a tree: every folder with a page, or with a page below it,
// at its depth (the indentation stops at 8); a folder without a page of
// its own is plain text.
const NESTED_TREE = [
  ['Bookmarks Menu', 0, true],
  ['Bookmarks Toolbar', 0, true],
  ['News & Weather', 1, true],
  ['Work', 1, true],
  ['Projects', 2, false],
  ['Harrowdeck', 3, true],
  ['Releases', 4, true],
  ['Music', 0, true],
  ['Archive', 0, false],
  ['2019', 1, true],
  ['Reference', 0, false],
  ['Languages', 1, false],
  ['European', 2, false],
  ['Germanic', 3, false],
  ['North Germanic', 4, false],
  ['Swedish', 5, false],
  ['Dialects', 6, false],
  ['West coast', 7, false],
  ['Gothenburg', 8, false],
  ['Slang', 8, true],
].map(([name, depth, link]) => ({ name, depth, link }));

const MODES = [
  { browse: 'frame', target: null },
  { browse: 'full', target: '_top' },
  { browse: 'new', target: '_blank' },
];

// The smallest valid GIF: one transparent pixel.
const TINY_GIF = Buffer.from('R0lGODlhAQABAIAAAAAAAP///yH5BAEAAAAALAAAAAABAAEAAAIBRAA7', 'base64');

const scratch = [];
let context;

function requiredEnv(name) {
  const value = process.env[name];
  if (!value) throw new Error(`${name} is not set; run this test through ctest or run-e2e.sh`);
  return value;
}

function freshDir(prefix) {
  const dir = mkdtempSync(join(tmpdir(), prefix));
  scratch.push(dir);
  return dir;
}

function convert(browse, images = [], { source = exampleExport, options = [] } = {}) {
  const dest = freshDir('harrowdeck-e2e-');
  for (const image of images) writeFileSync(join(dest, image), TINY_GIF);
  const run = spawnSync(makeTool, [...options, '--browse', browse, source, dest], { encoding: 'utf8' });
  assert.equal(run.status, 0, `harrowdeck-make failed: ${run.stderr}`);
  assert.match(run.stdout, /Harrowdeck\.html is done!/);
  return dest;
}

async function waitUntil(what, condition, timeoutMs = 5000) {
  const deadline = Date.now() + timeoutMs;
  for (;;) {
    if (await condition()) return;
    if (Date.now() > deadline) throw new Error(`timed out waiting until ${what}`);
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
}

function frameNamed(page, name) {
  const frame = page.frame({ name });
  assert.ok(frame, `no frame named ${name}; frames: ${page.frames().map((f) => f.name()).join(', ')}`);
  return frame;
}

async function openFrameset(dest) {
  const page = await context.newPage();
  await page.goto(pathToFileURL(join(dest, 'Harrowdeck.html')).href);
  return page;
}

// The rendered folder index: every folder, in order, each a visible link.
async function checkIndex(page, folders) {
  const index = frameNamed(page, 'indexwin');
  assert.ok(index.url().endsWith('/dir.html'), `indexwin shows ${index.url()}`);
  const entries = index.locator('a');
  assert.deepEqual(await entries.allInnerTexts(), folders.map((f) => f.entry ?? f.name));
  for (let i = 0; i < folders.length; ++i) {
    assert.ok(await entries.nth(i).isVisible(), `index entry ${i + 1} is not shown`);
  }
}

// The link page of folder n as shown in lankar: heading, addresses, targets.
async function checkLinkPage(page, n, target, folders) {
  const lankar = frameNamed(page, 'lankar');
  assert.ok(lankar.url().endsWith(`/${n}.html`), `lankar shows ${lankar.url()}, not ${n}.html`);
  const folder = folders[n - 1];
  assert.equal((await lankar.locator('h3').innerText()).trim(), folder.name);
  const links = lankar.locator('a');
  const rendered = await links.evaluateAll((as) =>
    as.map((a) => ({ href: a.getAttribute('href'), target: a.getAttribute('target'), shown: a.offsetHeight > 0 })),
  );
  assert.deepEqual(
    rendered,
    folder.links.map((href) => ({ href, target, shown: true })),
    `links of ${n}.html`,
  );
}

// Clicks index entry n and waits until n.html has loaded into lankar (the
// URL alone changes before the page is there).
async function followIndexEntry(page, n) {
  const navigated = page.waitForEvent('framenavigated', {
    predicate: (frame) => frame.name() === 'lankar' && frame.url().endsWith(`/${n}.html`),
    timeout: 5000,
  });
  await frameNamed(page, 'indexwin').locator('a').nth(n - 1).click();
  await (await navigated).waitForLoadState('load');
}

// Everything a reader of the frameset relies on, for one browsing mode.
async function checkFrameset(page, target, folders = FOLDERS) {
  await checkIndex(page, folders);
  await checkLinkPage(page, 1, target, folders);
  for (let n = folders.length; n >= 1; --n) {
    await followIndexEntry(page, n);
    await checkLinkPage(page, n, target, folders);
    assert.ok(page.url().endsWith('/Harrowdeck.html'), 'the index entry replaced the frameset');
  }
}

// The background image of a frame's body, and whether the browser could load it.
async function bodyBackground(frame) {
  return frame.evaluate(async () => {
    const style = getComputedStyle(document.body);
    const match = /url\("?(.*?)"?\)/.exec(style.backgroundImage);
    if (!match) return { image: null, color: style.backgroundColor };
    const img = new Image();
    const loaded = await new Promise((resolve) => {
      img.onload = () => resolve(img.naturalWidth > 0);
      img.onerror = () => resolve(false);
      img.src = match[1];
    });
    return { image: match[1].split('/').pop(), loaded };
  });
}

before(async () => {
  context = await chromium.launchPersistentContext(freshDir('harrowdeck-chromium-'), {
    executablePath: browserPath,
    headless: true,
    args: [
      '--no-sandbox',
      '--headless',
      '--disable-gpu',
      '--disable-background-networking',
      '--disable-component-update',
      '--no-first-run',
      '--disable-sync',
      '--disable-quic',
    ],
  });
  context.setDefaultTimeout(10000);
  // The bookmarks point at the internet; answer them here so that following
  // one never leaves the machine.
  await context.route(/^(https?|wss?):/, (route) =>
    route.fulfill({ status: 200, contentType: 'text/html', body: '<title>bookmark</title>bookmark' }),
  );
});

after(async () => {
  await context?.close();
  for (const dir of scratch) rmSync(dir, { recursive: true, force: true });
});

for (const { browse, target } of MODES) {
  test(`--browse ${browse}: the frames show the folders and the links carry ${target ?? 'no target'}`, async () => {
    const page = await openFrameset(convert(browse));
    await checkFrameset(page, target);
    await page.close();
  });
}

// The index's entries as rendered: each one's text, whether it is a link,
// and the left edge of every line it takes on the screen. A top-level entry
// is inline text ended by <BR>; a nested one is a block of its own.
async function renderedTree(page) {
  return frameNamed(page, 'indexwin').evaluate(() => {
    const entries = [];
    const lineLefts = (range) => {
      const lines = new Map();
      for (const rect of range.getClientRects()) {
        if (rect.width === 0) continue; // collapsed white space
        const top = Math.round(rect.top);
        lines.set(top, Math.min(lines.get(top) ?? Infinity, rect.left));
      }
      return [...lines.entries()].sort((a, b) => a[0] - b[0]).map(([, left]) => left);
    };
    const add = (nodes) => {
      const range = document.createRange();
      range.setStartBefore(nodes[0]);
      range.setEndAfter(nodes[nodes.length - 1]);
      const name = nodes.map((n) => n.textContent).join('').trim();
      const link = nodes.some((n) => n.nodeName === 'A' || (n.querySelector && n.querySelector('a')));
      entries.push({ name, link, lines: lineLefts(range) });
    };
    const heading = document.querySelector('h3');
    const em = parseFloat(getComputedStyle(document.body).fontSize);
    let nodes = [];
    let started = false;
    for (const node of document.body.childNodes) {
      if (node === heading) started = true;
      else if (!started || (node.nodeType === Node.TEXT_NODE && node.textContent.trim() === '')) continue;
      else if (node.nodeName === 'DIV') add([node]);
      else if (node.nodeName === 'BR') {
        add(nodes);
        nodes = [];
      } else nodes.push(node);
    }
    return { entries, left: heading.getBoundingClientRect().left, em };
  });
}

// Every line of every entry starts at its level's margin: one em a level,
// the eighth level for anything deeper. Compared within half a pixel, so
// that neither fonts nor rounding of the layout decide it.
function checkTreeShape({ entries, left, em }, expected) {
  assert.deepEqual(
    entries.map(({ name, link }) => ({ name, link })),
    expected.map(({ name, link }) => ({ name, link })),
  );
  expected.forEach(({ name, depth }, i) => {
    const margin = left + Math.min(depth, 8) * em;
    assert.ok(entries[i].lines.length > 0, `${name} is not shown`);
    entries[i].lines.forEach((lineLeft, line) => {
      assert.ok(
        Math.abs(lineLeft - margin) < 0.5,
        `line ${line + 1} of ${name} starts at ${lineLeft}, not at level ${depth}'s ${margin}`,
      );
    });
  });
}

test('--folders all: the index is a tree of the folders, and each entry opens its page', async () => {
  const page = await openFrameset(convert('full', [], { source: nestedExport, options: ['--folders', 'all'] }));
  checkTreeShape(await renderedTree(page), NESTED_TREE);
  await checkFrameset(page, '_top', NESTED_FOLDERS);
  await page.close();
});

// Ten folders, each inside the one before, each with a name too long for
// one line of the left frame and one link.
function wrappingExport() {
  const lines = ['<!DOCTYPE FIRSTFLOOR>', '<DL><p>'];
  const tree = [];
  for (let depth = 0; depth < 10; ++depth) {
    const name = `Level ${depth} holds a folder whose name is far too long for one line of the index`;
    lines.push(`<DT><H3>${name}</H3>`, '<DL><p>', `<DT><A HREF="https://example.org/${depth}">L${depth}</A>`);
    tree.push({ name, depth, link: true });
  }
  for (let depth = 0; depth <= 10; ++depth) lines.push('</DL><p>');
  const file = join(freshDir('harrowdeck-wrap-'), 'export.htm');
  writeFileSync(file, lines.join('\r\n') + '\r\n');
  return { file, tree };
}

test('--folders all: a name that wraps keeps every line at its level', async () => {
  const { file, tree } = wrappingExport();
  const page = await openFrameset(convert('frame', [], { source: file, options: ['--folders', 'all'] }));
  const rendered = await renderedTree(page);
  checkTreeShape(rendered, tree);
  rendered.entries.forEach(({ name, lines }) => assert.ok(lines.length > 1, `${name} did not wrap`));
  await page.close();
});

// A Latin-1 export that declares nothing and a UTF-8 one: the link page in
// the right frame is read in the export's encoding, so its letters show.
test("the pages are read in the export's encoding", async (t) => {
  const cases = [
    { set: 'latin1', charset: 'windows-1252', heading: 'Café & crème', link: 'Crème brûlée ¤ 10' },
    { set: 'utf8', charset: 'UTF-8', heading: 'Café & 中文', link: 'Göteborg €' },
  ];
  for (const { set, charset, heading, link } of cases) {
    await t.test(set, async () => {
      const source = fileURLToPath(new URL(`../data/${set}/export.htm`, import.meta.url));
      const page = await openFrameset(convert('frame', [], { source }));
      const lankar = frameNamed(page, 'lankar');
      assert.equal(await lankar.evaluate(() => document.characterSet), charset);
      assert.equal((await lankar.locator('h3').innerText()).trim(), heading);
      assert.equal((await lankar.locator('a').first().innerText()).trim(), link);
      assert.equal(await frameNamed(page, 'indexwin').evaluate(() => document.characterSet), charset);
      await page.close();
    });
  }
});

test('a bookmark opens where the browsing mode says', async (t) => {
  const first = FOLDERS[0].links[0];

  await t.test('frame: in the right frame', async () => {
    const page = await openFrameset(convert('frame'));
    await frameNamed(page, 'lankar').locator('a').first().click();
    await waitUntil('the bookmark is in lankar', () => page.frame({ name: 'lankar' })?.url() === first);
    assert.ok(page.url().endsWith('/Harrowdeck.html'));
    assert.ok(frameNamed(page, 'indexwin').url().endsWith('/dir.html'));
    await page.close();
  });

  await t.test('full: in the whole window', async () => {
    const page = await openFrameset(convert('full'));
    await frameNamed(page, 'lankar').locator('a').first().click();
    await page.waitForURL(first);
    assert.equal(page.frame({ name: 'indexwin' }), null);
    await page.close();
  });

  await t.test('new: in a new window', async () => {
    const page = await openFrameset(convert('new'));
    const [popup] = await Promise.all([
      context.waitForEvent('page'),
      frameNamed(page, 'lankar').locator('a').first().click(),
    ]);
    await popup.waitForURL(first);
    assert.ok(page.url().endsWith('/Harrowdeck.html'));
    assert.ok(frameNamed(page, 'lankar').url().endsWith('/1.html'));
    await popup.close();
    await page.close();
  });
});

test('background images: plain white without them, the GIFs when present', async (t) => {
  await t.test('no images', async () => {
    const page = await openFrameset(convert('frame'));
    const white = { image: null, color: 'rgb(255, 255, 255)' };
    assert.deepEqual(await bodyBackground(frameNamed(page, 'indexwin')), white);
    assert.deepEqual(await bodyBackground(frameNamed(page, 'lankar')), white);
    await page.close();
  });

  await t.test('back.gif alone is behind every page', async () => {
    const page = await openFrameset(convert('frame', ['back.gif']));
    const back = { image: 'back.gif', loaded: true };
    assert.deepEqual(await bodyBackground(frameNamed(page, 'indexwin')), back);
    assert.deepEqual(await bodyBackground(frameNamed(page, 'lankar')), back);
    await page.close();
  });

  await t.test('dir.gif and file.gif win over back.gif', async () => {
    const page = await openFrameset(convert('frame', ['back.gif', 'dir.gif', 'file.gif']));
    assert.deepEqual(await bodyBackground(frameNamed(page, 'indexwin')), { image: 'dir.gif', loaded: true });
    for (let n = 1; n <= FOLDERS.length; ++n) {
      await followIndexEntry(page, n);
      assert.deepEqual(await bodyBackground(frameNamed(page, 'lankar')), { image: 'file.gif', loaded: true }, `${n}.html`);
    }
    await page.close();
  });
});

// The checks above must be able to fail: a frameset whose frames lost the
// names that the pages rely on has to be caught.
test('the checks reject framesets whose frames do not work', async (t) => {
  const mutated = async (file, from, to) => {
    const dest = convert('frame');
    const path = join(dest, file);
    const text = readFileSync(path, 'latin1');
    assert.ok(text.includes(from), `${file} has no ${from}`);
    writeFileSync(path, text.replaceAll(from, to), 'latin1');
    const page = await openFrameset(dest);
    await assert.rejects(checkFrameset(page, null));
    for (const other of context.pages()) await other.close();
  };
  await t.test('right frame renamed', () => mutated('Harrowdeck.html', 'NAME="lankar"', 'NAME="right"'));
  await t.test('index entries aimed at a missing frame', () => mutated('dir.html', 'TARGET="lankar"', 'TARGET="links"'));
  // The tree as it once was, indented by characters: a wrapped name's
  // second line goes back to the left edge.
  await t.test('a tree indented by characters', async () => {
    const { file, tree } = wrappingExport();
    const dest = convert('frame', [], { source: file, options: ['--folders', 'all'] });
    const path = join(dest, 'dir.html');
    const text = readFileSync(path, 'latin1').replace(
      /<DIV STYLE="margin-left:(\d+)em">(.*)<\/DIV>/g,
      (_, em, entry) => '&nbsp;'.repeat(4 * Number(em)) + entry + '<BR>',
    );
    writeFileSync(path, text, 'latin1');
    const page = await openFrameset(dest);
    const rendered = await renderedTree(page);
    assert.throws(() => checkTreeShape(rendered, tree));
    await page.close();
  });
});
