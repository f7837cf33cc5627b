"use strict";
// One worker of the page: converts the scenes and draws the documents that the page
// sends, one job at a time, with Meshlift compiled to WebAssembly. The converter reads
// the scene through slices of its Blob and hands the document and the console back in
// pieces, so that neither is ever whole in the module's memory.

// Every Blob that the page offers has this type: no browser renders it as a page, so a
// document whose names hold markup cannot run as a page of this site when its link is
// opened.
const downloadType = "application/octet-stream";

// The console that the page shows: its first lines, up to these limits; the whole of
// it is a Blob to download.
const shownLines = 2000;
const shownBytes = 256 * 1024;

let loadProblem = null;
try {
    importScripts("meshlift.js");
} catch (error) {
    loadProblem = `meshlift.js could not be loaded (${error})`;
}

// The page revokes a job's token to stop it. The module's calls cannot hear a message
// while they run, but they hand their results to the script often: there, every 50 ms,
// a read of the token tells whether the job is still wanted, and when it is not the
// call is left by an exception (the instance is then started afresh).
class Cancelled extends Error {}
let token = null;
let tokenChecked = 0;

function stopIfCancelled() {
    if (token === null || performance.now() - tokenChecked < 50) return;
    tokenChecked = performance.now();
    let wanted;
    try {
        const request = new XMLHttpRequest();
        request.open("GET", token, false);
        request.send();
        wanted = request.status === 200;
    } catch (error) {
        wanted = false;
    }
    if (!wanted) throw new Cancelled("cancelled");
}

let compiled = null; // the compiled module, kept to start afresh without the network
let meshlift = null; // the running instance; null after it aborted (out of memory)

async function compileModule() {
    let response;
    try {
        response = await fetch("meshlift.wasm");
    } catch (error) {
        throw new Error(`meshlift.wasm could not be loaded (${error})`);
    }
    if (!response.ok) throw new Error(`meshlift.wasm could not be loaded (HTTP ${response.status})`);
    try {
        return await WebAssembly.compile(await response.arrayBuffer());
    } catch (error) {
        throw new Error(`meshlift.wasm could not be compiled (${error})`);
    }
}

async function startModule() {
    if (loadProblem !== null) throw new Error(loadProblem);
    if (compiled === null) compiled = await compileModule();
    // The module's own promise never settles when instantiation fails (a policy that
    // forbids WebAssembly, for one): that failure ends the start here instead.
    let refused;
    const failed = new Promise((resolve, reject) => {
        refused = reject;
    });
    meshlift = await Promise.race([
        createMeshlift({
            instantiateWasm(imports, done) {
                WebAssembly.instantiate(compiled, imports).then(
                    (instance) => done(instance, compiled),
                    (error) => refused(new Error(`meshlift.wasm could not be started (${error})`)),
                );
                return {};
            },
            print() {},
            printErr() {},
        }),
        failed,
    ]);
}

// The bytes of the instance's WebAssembly memory: it only ever grows, so this is the
// most it has used.
function memoryBytes() {
    return meshlift.HEAPU8.buffer.byteLength;
}

// Bytes kept as Blobs of a few megabytes each, so that the worker's own memory holds
// at most one such piece at a time.
class BlobPieces {
    constructor() {
        this.blobs = [];
        this.pending = [];
        this.pendingBytes = 0;
    }
    add(bytes) {
        this.pending.push(bytes);
        this.pendingBytes += bytes.length;
        if (this.pendingBytes >= 8 << 20) this.seal();
    }
    seal() {
        if (this.pending.length > 0) this.blobs.push(new Blob(this.pending));
        this.pending = [];
        this.pendingBytes = 0;
    }
    blob() {
        this.seal();
        return new Blob(this.blobs, { type: downloadType });
    }
}

// The console as the program prints it: all of it as a Blob, its lines counted, and
// its first lines as text for the page.
class Console {
    constructor() {
        this.all = new BlobPieces();
        this.lines = 0;
        this.shownLines = 0; // the lines whose end the page has had
        this.shownBytes = 0;
        this.full = false; // the text shown has reached its limits
        this.decoder = new TextDecoder();
        this.fresh = ""; // text for the page that it has not had yet
        this.open = false; // the last line has no line end yet
    }
    add(bytes) {
        this.all.add(bytes);
        let start = 0;
        for (let at = bytes.indexOf(10); at !== -1; at = bytes.indexOf(10, at + 1)) {
            this.lines++;
            if (!this.full) {
                this.show(bytes.subarray(start, at + 1));
                this.shownLines++;
            }
            start = at + 1;
        }
        // A line without its end yet: shown as far as it goes.
        if (!this.full && start < bytes.length) this.show(bytes.subarray(start));
        if (bytes.length > 0) this.open = bytes[bytes.length - 1] !== 10;
    }
    show(bytes) {
        this.fresh += this.decoder.decode(bytes, { stream: true });
        this.shownBytes += bytes.length;
        if (this.lines >= shownLines || this.shownBytes >= shownBytes) this.full = true;
    }
    // The console is complete: a last line without its line end counts too.
    end() {
        if (!this.full) this.fresh += this.decoder.decode();
        if (this.open) this.lines++;
        if (this.open && !this.full) this.shownLines++;
        this.open = false;
    }
    take() {
        const text = this.fresh;
        this.fresh = "";
        return text;
    }
}

function convert(job) {
    const document = new BlobPieces();
    const printed = new Console();
    let consoleBytes = 0;
    let read = 0;
    let reported = 0;
    const sendProgress = () => {
        postMessage({
            type: "progress",
            id: job.id,
            read,
            console: printed.take(),
            lines: printed.lines,
        });
        reported = performance.now();
    };
    const started = performance.now();
    const outcome = meshlift.convert(job.file, job.file.name, job.mode, {
        onBlobRead(end) {
            stopIfCancelled();
            read = Math.max(read, end);
            if (performance.now() - reported > 100) sendProgress();
        },
        onDocument(bytes) {
            stopIfCancelled();
            document.add(bytes);
        },
        onConsole(bytes) {
            stopIfCancelled();
            consoleBytes += bytes.length;
            printed.add(bytes);
            if (performance.now() - reported > 100) sendProgress();
        },
    });
    const result = document.blob();
    const milliseconds = performance.now() - started;
    printed.end();
    sendProgress();
    return {
        exitCode: outcome === "success" ? 0 : 1,
        // An unreadable file: the program creates no document.
        document: outcome === "unreadable" ? null : result,
        consoleLog: consoleBytes > 0 ? printed.all.blob() : null,
        lines: printed.lines,
        shownLines: printed.shownLines,
        milliseconds,
        convertMemory: memoryBytes(),
    };
}

function preview(blob, name, fit) {
    let picture = null;
    const report = [];
    meshlift.preview(blob, name, fit, {
        onBlobRead: stopIfCancelled,
        onPicture(pixels, width, height) {
            picture = { pixels, width, height };
        },
        onReportLine(line) {
            report.push(line);
        },
    });
    return { picture, report };
}

let starting = startModule();

async function run(job) {
    try {
        await starting;
    } catch (error) {
        // The module cannot start here: every job ends with the reason, and the page
        // gives its next batch another worker.
        postMessage({ type: "broken", id: job.id, message: error.message });
        return;
    }
    if (meshlift === null) {
        // The last job aborted the module: a fresh instance of the compiled module.
        try {
            starting = startModule();
            await starting;
        } catch (error) {
            postMessage({ type: "broken", id: job.id, message: error.message });
            return;
        }
    }
    token = job.token;
    tokenChecked = 0;
    try {
        stopIfCancelled();
        let document = job.document;
        if (job.kind === "convert") {
            // The document is there before its picture: the page offers it at once.
            const converted = convert(job);
            postMessage({ type: "converted", id: job.id, ...converted });
            document = converted.document;
        }
        const message = { type: "finished", id: job.id };
        if (document !== null) Object.assign(message, preview(document, job.documentName, job.fit));
        message.memory = memoryBytes();
        const transfer = message.picture ? [message.picture.pixels.buffer] : [];
        postMessage(message, transfer);
    } catch (error) {
        // The job was stopped, or the module aborted (it ran out of memory): the
        // instance was left in the middle of its work, so the next job gets a fresh one.
        meshlift = null;
        if (error instanceof Cancelled) postMessage({ type: "cancelled", id: job.id });
        else postMessage({ type: "crashed", id: job.id, message: String(error) });
    } finally {
        token = null;
    }
}

let queue = Promise.resolve();
onmessage = (event) => {
    queue = queue.then(() => run(event.data));
};

starting.then(
    () => postMessage({ type: "ready" }),
    (error) => postMessage({ type: "broken", message: error.message }),
);
