// Boards that travel in an address: the board file, compressed with the browser's own deflate
// (CompressionStream) and written in the URL-safe base64 alphabet, rides in the fragment
// (index.html#board=...), which browsers never send to a server. Every page that opens or makes
// such links imports this module, so they all read and write the same links.

// The largest board file: 2414 bytes of header and cells, then at most 32767 bricks of 1358
// bytes (the editor's palette index is 16-bit). No more than this is ever read.
export const kLargestBoard = 2414 + 1358 * 32767;
// The longest link made or opened, in characters: chat programs and mail cut longer ones.
export const kLinkLimit = 32 * 1024;
// How messages about a link name the board.
export const kLinkName = 'board link';
const kKey = 'board';
// zlib's format, whose checksum tells a damaged link from a good one.
const kFormat = 'deflate';

// The bytes of a stream, refused as soon as they run past limit; progress, when given, hears
// the count after every piece.
export async function readStream(stream, limit, tooLarge, progress) {
  const reader = stream.getReader();
  const chunks = [];
  let total = 0;
  for (;;) {
    const { done, value } = await reader.read();
    if (done) break;
    total += value.length;
    if (total > limit) {
      reader.cancel().catch(() => {});
      throw new Error(tooLarge);
    }
    chunks.push(value);
    if (progress) progress(total);
  }
  const bytes = new Uint8Array(total);
  let at = 0;
  for (const chunk of chunks) {
    bytes.set(chunk, at);
    at += chunk.length;
  }
  return bytes;
}

// A board file's bytes up to its last brick: every reader ignores what follows, so a link
// leaves it out.
function boardBytes(bytes) {
  if (bytes.length < 14) return bytes;
  const lastBrick = new DataView(bytes.buffer, bytes.byteOffset).getInt32(10, true);
  const length = 2414 + 1358 * (lastBrick + 1);
  return lastBrick >= 0 && length < bytes.length ? bytes.subarray(0, length) : bytes;
}

// The data of the board in an address's fragment ('#board=...'), or null when it holds none.
export function linkData(hash) {
  return new URLSearchParams(hash.replace(/^#/, '')).get(kKey);
}

// The address that opens page (an address without its fragment) on the board file bytes.
// Throws, saying to share the file, when it would be longer than kLinkLimit.
export async function encodeBoardLink(bytes, page) {
  const prefix = `${page}#${kKey}=`;
  // Base64 turns three bytes into four characters: more compressed bytes cannot fit.
  const room = Math.floor(((kLinkLimit - prefix.length) * 3) / 4);
  const tooLong =
    `This board does not fit in a link of ${kLinkLimit} characters: share its .brd file instead`;
  const stream = new Blob([boardBytes(bytes)]).stream().pipeThrough(new CompressionStream(kFormat));
  const packed = await readStream(stream, room, tooLong);
  let text = '';
  for (let at = 0; at < packed.length; at += 0x8000) {
    text += String.fromCharCode.apply(null, packed.subarray(at, at + 0x8000));
  }
  const data = btoa(text).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
  return prefix + data;
}

// The board file bytes a link's data holds. Throws with the reason for a link that is too long,
// damaged or made up: not in the alphabet, not compressed data (the checksum catches a changed
// character), or unpacking to more than the largest board, of which nothing more is unpacked.
export async function decodeBoardLink(data) {
  if (data.length > kLinkLimit) throw new Error(`the link is longer than ${kLinkLimit} characters`);
  if (!/^[A-Za-z0-9_-]*$/.test(data) || data.length % 4 === 1) {
    throw new Error('the link is damaged: it holds characters a board link never has');
  }
  if (typeof DecompressionStream === 'undefined') {
    throw new Error('this browser cannot unpack board links');
  }
  const text = atob(data.replace(/-/g, '+').replace(/_/g, '/'));
  const packed = Uint8Array.from(text, (c) => c.charCodeAt(0));
  const stream = new Blob([packed]).stream().pipeThrough(new DecompressionStream(kFormat));
  try {
    const tooLarge = `the link unpacks to more than the largest board (${kLargestBoard} bytes)`;
    return await readStream(stream, kLargestBoard, tooLarge);
  } catch (error) {
    // The browser's own words for broken data vary; what the player needs to know does not.
    if (error instanceof TypeError) {
      throw new Error('the link is damaged: its board does not unpack');
    }
    throw error;
  }
}
