"use strict";
// One worker of the page: converts the scenes and draws the documents that the page
// sends, one job at a time, with Meshlift compiled to WebAssembly. The converter reads
// the scene through slices of its Blob and hands the document back in pieces, so that
// neither is ever whole in the module's memory.

importScripts("meshlift.js");

let compiled = null; // the compiled module, kept to start afresh without the network
let meshlift = null; // the running instance; null after it aborted (out of memory)

async function startModule() {
    if (compiled === null) {
        const response = await fetch("meshlift.wasm");
        compiled = await WebAssembly.compile(await response.arrayBuffer());
    }
    meshlift = await createMeshlift({
        instantiateWasm(imports, done) {
            WebAssembly.instantiate(compiled, imports).then((instance) => done(instance, compiled));
            return {};
        },
        print() {},
        printErr() {},
    });
}

// The bytes of the instance's WebAssembly memory: it only ever grows, so this is the
// most it has used.
function memoryBytes() {
    return meshlift.HEAPU8.buffer.byteLength;
}

// A document kept as Blobs of a few megabytes each, so that the worker's own memory
// holds at most one such piece of it at a time.
class DocumentPieces {
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
        return new Blob(this.blobs, { type: "application/xml" });
    }
}

function convert(job) {
    const document = new DocumentPieces();
    const decoder = new TextDecoder();
    let consoleText = "";
    let read = 0;
    let reported = 0;
    const sendProgress = () => {
        postMessage({ type: "progress", id: job.id, read, console: consoleText });
        consoleText = "";
        reported = performance.now();
    };
    meshlift.blob = job.file;
    meshlift.onBlobRead = (end) => {
        read = Math.max(read, end);
        if (performance.now() - reported > 100) sendProgress();
    };
    meshlift.onDocument = (bytes) => document.add(bytes);
    meshlift.onConsole = (bytes) => {
        consoleText += decoder.decode(bytes, { stream: true });
    };
    const started = performance.now();
    const outcome = meshlift.ccall("meshlift_convert", "number", ["string", "number"], [
        job.file.name,
        job.mode === "quad" ? 1 : 0,
    ]);
    // Outcome 2: the file could not be read at all, and the program creates no document.
    const result = document.blob();
    const milliseconds = performance.now() - started;
    meshlift.blob = null;
    consoleText += decoder.decode();
    sendProgress();
    return {
        exitCode: outcome === 0 ? 0 : 1,
        document: outcome === 2 ? null : result,
        milliseconds,
        convertMemory: memoryBytes(),
    };
}

function preview(blob, name, fit) {
    let picture = null;
    const report = [];
    meshlift.blob = blob;
    meshlift.onBlobRead = () => {};
    meshlift.onPicture = (pixels, width, height) => {
        picture = { pixels, width, height };
    };
    meshlift.onReportLine = (line) => report.push(line);
    meshlift.ccall("meshlift_preview", "number", ["string", "number"], [name, fit ? 1 : 0]);
    meshlift.blob = null;
    return { picture, report };
}

let starting = startModule();

async function run(job) {
    try {
        await starting;
        if (meshlift === null) {
            starting = startModule();
            await starting;
        }
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
        // The module aborted (it ran out of memory): the job failed, and the next
        // one gets a fresh instance.
        meshlift = null;
        postMessage({ type: "crashed", id: job.id, message: String(error) });
    }
}

let queue = Promise.resolve();
onmessage = (event) => {
    queue = queue.then(() => run(event.data));
};

starting.then(
    () => postMessage({ type: "ready" }),
    (error) => postMessage({ type: "broken", message: String(error) }),
);
