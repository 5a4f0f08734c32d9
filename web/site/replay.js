// Recorded games brought into the page: a scenario that a game played with ?record wrote (or
// `kostkolam --record` on the desktop), opened from a file or from a link whose fragment holds
// it. The page only fetches the bytes, within what it is willing to hold; the game reads them as
// kostkolam-script does, refuses them in its words, and plays them in the windows.
//
// A link carries the scenario compressed (deflate-raw, then base64url), so that no server keeps
// anything: #zaznam=DATA.

/** The largest recording the page opens, from a file or unpacked from a link: 16 MiB, hours of
 *  play (a level 1 played by the autoplayer writes about 1.1 KB a second), read whole into
 *  memory. */
export const LARGEST_RECORDING_BYTES = 16 * 1024 * 1024;
/** The longest link the page offers, in characters: 64 Ki, which browsers open and mail programs
 *  pass on whole. A level 1 played by the autoplayer adds about 22 characters a second, so a link
 *  carries some 45 minutes of it. */
export const LARGEST_LINK_CHARS = 64 * 1024;

const LINK_KEY = '#zaznam=';

/** A file or link the page will not open, with the reason in the player's words. */
export class RefusedRecording extends Error {}

const mib = (bytes) => `${Math.round(bytes / (1024 * 1024))} MiB`;

/** The bytes of a recording file; refused unread when it is larger than the page opens. */
export async function readRecordingFile(file) {
  if (file.size > LARGEST_RECORDING_BYTES) {
    throw new RefusedRecording(`Soubor „${file.name}“ je větší než ${mib(LARGEST_RECORDING_BYTES)}; ` +
                               'tak dlouhý záznam stránka nepřehraje.');
  }
  try {
    return new Uint8Array(await file.arrayBuffer());
  } catch {
    throw new RefusedRecording(`Soubor „${file.name}“ nelze přečíst.`);
  }
}

function toBase64Url(bytes) {
  let binary = '';
  for (let i = 0; i < bytes.length; i += 0x8000) {
    binary += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
  }
  return btoa(binary).replaceAll('+', '-').replaceAll('/', '_').replace(/=+$/, '');
}

function fromBase64Url(text) {
  const binary = atob(text.replaceAll('-', '+').replaceAll('_', '/'));
  return Uint8Array.from(binary, (c) => c.charCodeAt(0));
}

/** All of a stream's bytes, or RefusedRecording once they pass `limit`. */
async function readAll(stream, limit, tooLarge) {
  const chunks = [];
  let size = 0;
  const reader = stream.getReader();
  for (;;) {
    const { done, value } = await reader.read();
    if (done) break;
    size += value.length;
    if (size > limit) {
      await reader.cancel();
      throw new RefusedRecording(tooLarge);
    }
    chunks.push(value);
  }
  const bytes = new Uint8Array(size);
  let at = 0;
  for (const chunk of chunks) {
    bytes.set(chunk, at);
    at += chunk.length;
  }
  return bytes;
}

/** The link that replays `scenario` (the recording's text) on this page, or null when it would be
 *  longer than LARGEST_LINK_CHARS. */
export async function linkToRecording(scenario) {
  const packed = new Blob([scenario]).stream().pipeThrough(new CompressionStream('deflate-raw'));
  const data = toBase64Url(await readAll(packed, Infinity));
  const link = `${location.origin}${location.pathname}${LINK_KEY}${data}`;
  return link.length <= LARGEST_LINK_CHARS ? link : null;
}

/** Whether a fragment (location.hash) holds a recording. */
export const holdsRecording = (hash) => hash.startsWith(LINK_KEY);

/** The recording a fragment holds, unpacked; RefusedRecording for a damaged link. */
export async function recordingOfLink(hash) {
  const damaged = 'Odkaz na záznam hry je poškozený nebo neúplný.';
  let packed;
  try {
    packed = fromBase64Url(hash.slice(LINK_KEY.length));
  } catch {
    throw new RefusedRecording(damaged);
  }
  const unpacked = new Blob([packed]).stream().pipeThrough(new DecompressionStream('deflate-raw'));
  try {
    return await readAll(unpacked, LARGEST_RECORDING_BYTES,
                         `Záznam v odkazu je větší než ${mib(LARGEST_RECORDING_BYTES)}; ` +
                         'tak dlouhý záznam stránka nepřehraje.');
  } catch (error) {
    throw error instanceof RefusedRecording ? error : new RefusedRecording(damaged);
  }
}
