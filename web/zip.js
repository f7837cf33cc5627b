"use strict";
// The page's zip worker: writes the zip of a batch's documents away from the page's
// thread, with fflate's streaming API, which runs where it is called (its asynchronous
// API would start workers from blob: URLs, which the page's policy refuses). Reads each
// document in pieces, tells the page how far it got, and gives the zip back as a Blob.
// Between two pieces it hears a "cancel": the page has a new batch.

importScripts("fflate.js");

let cancelled = new Set();

async function zipDocuments(job) {
    const total = job.entries.reduce((sum, entry) => sum + entry.blob.size, 0);
    let done = 0;
    let reported = 0;
    const pieces = [];
    let pending = [];
    let pendingBytes = 0;
    let failure = null;
    const zip = new fflate.Zip((error, chunk) => {
        if (error) {
            failure = error;
            return;
        }
        // Kept as Blobs of a few megabytes: the worker holds one such piece at a time.
        pending.push(chunk);
        pendingBytes += chunk.length;
        if (pendingBytes >= 8 << 20) {
            pieces.push(new Blob(pending));
            pending = [];
            pendingBytes = 0;
        }
    });
    for (const { name, blob } of job.entries) {
        const entry = new fflate.ZipDeflate(name, { level: 6 });
        zip.add(entry);
        const reader = blob.stream().getReader();
        for (;;) {
            const { done: ended, value } = await reader.read();
            if (cancelled.has(job.id)) {
                reader.cancel();
                return null;
            }
            if (ended) break;
            entry.push(value);
            done += value.length;
            if (performance.now() - reported > 100) {
                postMessage({ type: "progress", id: job.id, done, total });
                reported = performance.now();
            }
            if (failure !== null) throw failure;
        }
        entry.push(new Uint8Array(0), true);
    }
    zip.end();
    if (failure !== null) throw failure;
    pieces.push(new Blob(pending));
    return new Blob(pieces, { type: "application/zip" });
}

onmessage = (event) => {
    const job = event.data;
    if (job.type === "cancel") {
        cancelled.add(job.id);
        return;
    }
    zipDocuments(job).then(
        (zip) => {
            cancelled.delete(job.id);
            if (zip !== null) postMessage({ type: "zipped", id: job.id, zip });
        },
        (error) => {
            cancelled.delete(job.id);
            postMessage({ type: "failed", id: job.id, message: String(error) });
        },
    );
};
