"use strict";
// The page: hands each chosen or dropped file to a worker that runs Meshlift on it, and
// shows what comes back: the console lines, the picture, the links to download. Nothing
// leaves the tab: the files are read where they lie, and the documents are Blobs.

const workerCount = Math.max(1, Math.min(4, navigator.hardwareConcurrency || 2));
const largeFile = 1 << 20; // from this size on, a file shows how far its reading got

const runners = [];
const waiting = []; // jobs that no worker has yet
let nextJob = 1;
let batch = []; // the results of the files chosen last

const scenesInput = document.getElementById("scenes");
const modeSelect = document.getElementById("mode");
const fitBox = document.getElementById("fit");
const zipButton = document.getElementById("zip");
const resultsList = document.getElementById("results");
const statusLine = document.getElementById("status");

// "scene.ASE" gives "scene.xml"; a name without a dot, or with only a leading one,
// keeps all of itself.
function documentName(name) {
    const dot = name.lastIndexOf(".");
    return (dot > 0 ? name.slice(0, dot) : name) + ".xml";
}

function byteSize(bytes) {
    if (bytes < 1000) return `${bytes} bytes`;
    if (bytes < 1e6) return `${(bytes / 1e3).toFixed(1)} kB`;
    return `${(bytes / 1e6).toFixed(1)} MB`;
}

function element(tag, className, text) {
    const node = document.createElement(tag);
    if (className) node.className = className;
    if (text !== undefined) node.textContent = text;
    return node;
}

// What one file gave: the element that shows it, and the document once there is one.
class SceneResult {
    constructor(file, path, mode, fit) {
        this.file = file;
        this.path = path;
        this.fit = fit;
        this.name = documentName(file.name);
        this.document = null;
        this.exitCode = undefined;
        this.done = false;
        this.urls = [];

        this.node = element("section", "result");
        this.node.dataset.scene = file.name;
        this.node.dataset.state = "working";
        const title = element("h2", "", path);
        title.append(element("span", "meta", ` ${mode}, ${byteSize(file.size)}`));
        this.node.append(title);
        if (file.size >= largeFile) {
            this.progress = element("progress");
            this.progress.max = file.size;
            this.progress.value = 0;
            this.node.append(this.progress);
        }
        this.console = element("pre", "console");
        this.canvas = element("canvas");
        this.canvas.hidden = true;
        this.report = element("pre", "report");
        this.links = element("p", "links");
        this.note = element("p", "note");
        const text = element("div", "text");
        text.append(this.console, this.report, this.links, this.note);
        const body = element("div", "body");
        body.append(this.canvas, text);
        this.node.append(body);
    }

    progressed(message) {
        if (this.progress) this.progress.value = message.read;
        this.console.append(message.console);
    }

    link(className, blob, download, text) {
        const url = URL.createObjectURL(blob);
        this.urls.push(url);
        const anchor = element("a", className, text);
        anchor.href = url;
        anchor.download = download;
        return anchor;
    }

    async drawn(message, fit) {
        this.report.textContent = message.report.map((line) => line + "\n").join("");
        const former = this.links.querySelector(".picture");
        if (former !== null) {
            URL.revokeObjectURL(former.href);
            this.urls = this.urls.filter((url) => url !== former.href);
            former.remove();
        }
        const picture = message.picture;
        this.canvas.hidden = picture === null;
        if (picture === null) return;
        this.canvas.width = picture.width;
        this.canvas.height = picture.height;
        const context = this.canvas.getContext("2d");
        context.putImageData(new ImageData(picture.pixels, picture.width, picture.height), 0, 0);
        this.canvas.dataset.fit = fit ? "yes" : "no";
        const png = await new Promise((resolve) => this.canvas.toBlob(resolve, "image/png"));
        if (png !== null) {
            const base = this.name.slice(0, -".xml".length);
            this.links.append(this.link("picture", png, base + ".png", `${base}.png`));
        }
    }

    converted(message) {
        if (this.progress) this.progress.value = this.file.size;
        this.exitCode = message.exitCode;
        this.document = message.document;
        if (this.document !== null)
            this.links.prepend(
                this.link("document", this.document, this.name,
                          `${this.name} (${byteSize(this.document.size)})`));
        // For scripts and benchmarks: the worker's time for the conversion, and the
        // bytes of its WebAssembly memory after it.
        this.node.dataset.convertMs = message.milliseconds.toFixed(1);
        this.node.dataset.convertMemory = message.convertMemory;
    }

    // The picture after the conversion: the work on the file ends with it.
    async finished(message, fit) {
        if (message.report) await this.drawn(message, fit);
        // The fit choice changed while the file was converting.
        if (this.document !== null && fit !== this.fit) this.redraw();
        this.node.dataset.memory = message.memory; // after the picture too
        this.end(this.exitCode === 0 ? "done" : "failed");
    }

    // The worker's module aborted (out of memory), in the conversion or in the picture.
    crashed(message, converting) {
        const inConversion = converting && this.exitCode === undefined;
        this.note.textContent =
            `${inConversion ? "The conversion" : "The picture"} stopped: ${message.message}`;
        if (inConversion) this.end("failed");
        else if (converting) this.end(this.exitCode === 0 ? "done" : "failed");
    }

    end(state) {
        this.done = true;
        this.node.dataset.state = state;
        batchChanged();
    }

    redraw() {
        const fit = this.fit;
        submit(this, { kind: "preview", document: this.document, documentName: this.name, fit });
    }

    discard() {
        for (const url of this.urls) URL.revokeObjectURL(url);
        this.node.remove();
    }
}

function dispatch() {
    for (const runner of runners) {
        if (runner.job !== null || !runner.ready || waiting.length === 0) continue;
        runner.job = waiting.shift();
        runner.worker.postMessage(runner.job.message);
    }
}

function submit(result, message) {
    message.id = nextJob++;
    waiting.push({ result, message });
    dispatch();
}

function received(runner, message) {
    if (message.type === "ready") {
        runner.ready = true;
        if (runners.every((each) => each.ready)) document.documentElement.dataset.ready = "yes";
        dispatch();
        return;
    }
    if (message.type === "broken") {
        statusLine.textContent = `This browser cannot run Meshlift: ${message.message}`;
        return;
    }
    const job = runner.job;
    if (job === null || job.message.id !== message.id) return;
    const result = job.result;
    const current = batch.includes(result);
    if (message.type === "progress" || message.type === "converted") {
        if (current && message.type === "progress") result.progressed(message);
        if (current && message.type === "converted") result.converted(message);
        return;
    }
    runner.job = null;
    dispatch();
    if (!current) return;
    const converting = job.message.kind === "convert";
    if (message.type === "crashed") result.crashed(message, converting);
    else if (converting) result.finished(message, job.message.fit);
    else result.drawn(message, job.message.fit);
}

function startRunners() {
    for (let i = 0; i < workerCount; i++) {
        const runner = { worker: new Worker("worker.js"), job: null, ready: false };
        runner.worker.onmessage = (event) => received(runner, event.data);
        runners.push(runner);
    }
}

function batchChanged() {
    const finished = batch.filter((result) => result.done).length;
    const documents = batch.filter((result) => result.document !== null).length;
    zipButton.disabled = finished < batch.length || documents === 0;
    if (batch.length === 0) statusLine.textContent = "";
    else if (finished < batch.length)
        statusLine.textContent = `Converting: ${finished} of ${batch.length} files done.`;
    else {
        const failed = batch.filter((result) => result.node.dataset.state === "failed").length;
        const files = batch.length === 1 ? "file" : "files";
        statusLine.textContent = `${batch.length} ${files} converted, ${failed} failed.`;
    }
}

// Starts a new batch: the results of the last one go, their links with them.
function startBatch(entries) {
    waiting.length = 0;
    for (const result of batch) result.discard();
    const mode = modeSelect.value === "quad" ? "quad" : "tri";
    const fit = fitBox.checked;
    batch = entries.map(({ file, path }) => new SceneResult(file, path, mode, fit));
    for (const result of batch) {
        resultsList.append(result.node);
        submit(result, { kind: "convert", file: result.file, mode, fit, documentName: result.name });
    }
    batchChanged();
}

// The fit choice changed: every picture is drawn again with it.
function redrawAll() {
    for (const result of batch) {
        result.fit = fitBox.checked;
        if (result.document !== null) result.redraw();
    }
}

// A dropped folder gives its ASE files, at any depth, with their paths inside it.
async function filesOfEntry(entry, inFolder) {
    if (entry.isFile) {
        if (inFolder && !/\.ase$/i.test(entry.name)) return [];
        const file = await new Promise((resolve, reject) => entry.file(resolve, reject));
        return [{ file, path: entry.fullPath.replace(/^\//, "") }];
    }
    const reader = entry.createReader();
    const found = [];
    for (;;) {
        const entries = await new Promise((resolve, reject) => reader.readEntries(resolve, reject));
        if (entries.length === 0) break;
        for (const inner of entries) found.push(...(await filesOfEntry(inner, true)));
    }
    return found.sort((a, b) => (a.path < b.path ? -1 : a.path > b.path ? 1 : 0));
}

async function filesOfDrop(transfer) {
    const entries = [...transfer.items]
        .filter((item) => item.kind === "file")
        .map((item) => item.webkitGetAsEntry?.())
        .filter((entry) => entry);
    if (entries.length === 0)
        return [...transfer.files].map((file) => ({ file, path: file.name }));
    const found = [];
    for (const entry of entries) found.push(...(await filesOfEntry(entry, false)));
    return found;
}

// Every document of the batch in one zip, each named as its download, in the folders
// it was dropped in.
async function downloadZip() {
    zipButton.disabled = true;
    const taken = new Set();
    const pieces = [];
    let failed = null;
    const zip = new fflate.Zip((error, chunk) => {
        if (error) failed = error;
        else pieces.push(chunk);
    });
    for (const result of batch) {
        if (result.document === null) continue;
        let name = documentName(result.path);
        for (let copy = 2; taken.has(name); copy++)
            name = documentName(result.path).replace(/\.xml$/, ` (${copy}).xml`);
        taken.add(name);
        const entry = new fflate.ZipDeflate(name, { level: 6 });
        zip.add(entry);
        const reader = result.document.stream().getReader();
        for (;;) {
            const { done, value } = await reader.read();
            if (done) break;
            entry.push(value);
        }
        entry.push(new Uint8Array(0), true);
    }
    zip.end();
    zipButton.disabled = false;
    if (failed !== null) {
        statusLine.textContent = `The zip could not be made: ${failed.message}`;
        return;
    }
    const url = URL.createObjectURL(new Blob(pieces, { type: "application/zip" }));
    const anchor = element("a");
    anchor.href = url;
    anchor.download = "meshlift-documents.zip";
    anchor.click();
    setTimeout(() => URL.revokeObjectURL(url), 60000);
}

scenesInput.addEventListener("change", () => {
    startBatch([...scenesInput.files].map((file) => ({ file, path: file.name })));
});
fitBox.addEventListener("change", redrawAll);
zipButton.addEventListener("click", downloadZip);
document.addEventListener("dragover", (event) => {
    event.preventDefault();
    document.body.classList.add("dragging");
});
document.addEventListener("dragleave", (event) => {
    if (event.relatedTarget === null) document.body.classList.remove("dragging");
});
document.addEventListener("drop", async (event) => {
    event.preventDefault();
    document.body.classList.remove("dragging");
    const entries = await filesOfDrop(event.dataTransfer);
    if (entries.length > 0) startBatch(entries);
});

startRunners();
