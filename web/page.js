"use strict";
// The page: hands each chosen or dropped file to a worker that runs Meshlift on it, and
// shows what comes back: the console lines, the picture, the links to download. Nothing
// leaves the tab: the files are read where they lie, and the documents are Blobs. The
// files chosen last are the batch: whatever the page still did for the batch before is
// stopped and forgotten.

const workerCount = Math.max(1, Math.min(4, navigator.hardwareConcurrency || 2));
const largeFile = 1 << 20; // from this size on, a file shows how far its reading got

const runners = [];
let spare = null; // a started worker that takes the place of one stopped or lost
const waiting = []; // jobs that no worker has yet
let nextJob = 1;
let batch = []; // the results of the files chosen last
let batchEntries = []; // and those files, to convert again in another mode
let problem = ""; // why workers cannot run Meshlift, when they cannot

const scenesInput = document.getElementById("scenes");
const modeSelect = document.getElementById("mode");
const fitBox = document.getElementById("fit");
const zipButton = document.getElementById("zip");
const zipProgress = document.getElementById("zip-progress");
const zipLinks = document.getElementById("zip-links");
const resultsList = document.getElementById("results");
const statusLine = document.getElementById("status");
const problemLine = document.getElementById("problem");

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
        this.seq = 0; // the latest picture asked for: replies to earlier ones are dropped
        this.name = documentName(file.name);
        this.document = null;
        this.exitCode = undefined;
        this.lines = 0;
        this.done = false;
        this.discarded = false;
        this.urls = [];

        this.node = element("section", "result");
        this.node.dataset.scene = file.name;
        this.node.dataset.path = path;
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
        this.more = element("p", "console-more");
        this.canvas = element("canvas");
        this.canvas.hidden = true;
        this.report = element("pre", "report");
        this.links = element("p", "links");
        this.note = element("p", "note");
        const text = element("div", "text");
        text.append(this.console, this.more, this.report, this.links, this.note);
        const body = element("div", "body");
        body.append(this.canvas, text);
        this.node.append(body);
    }

    progressed(message) {
        if (this.progress) this.progress.value = message.read;
        if (message.console) this.console.append(message.console);
        this.lines = message.lines;
    }

    link(className, blob, download, text) {
        const url = URL.createObjectURL(blob);
        this.urls.push(url);
        const anchor = element("a", className, text);
        anchor.href = url;
        anchor.download = download;
        return anchor;
    }

    async drawn(message, fit, seq) {
        if (seq !== this.seq || this.discarded) return; // a later picture is on its way
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
        // Meanwhile another picture may have been asked for, or the batch be gone.
        if (png === null || seq !== this.seq || this.discarded) return;
        const base = this.name.slice(0, -".xml".length);
        this.links.append(this.link("picture", png, base + ".png", `${base}.png`));
    }

    converted(message) {
        if (this.progress) this.progress.value = this.file.size;
        this.exitCode = message.exitCode;
        this.document = message.document;
        this.lines = message.lines;
        this.node.dataset.messages = String(message.lines);
        if (message.lines > 0) this.node.classList.add("has-messages");
        const more = message.lines - message.shownLines;
        if (more > 0) this.more.textContent = `... and ${more} more ${more === 1 ? "line" : "lines"}`;
        if (this.document !== null)
            this.links.prepend(
                this.link("document", this.document, this.name,
                          `${this.name} (${byteSize(this.document.size)})`));
        if (message.consoleLog !== null) {
            const base = this.name.slice(0, -".xml".length);
            const lines = message.lines === 1 ? "line" : "lines";
            this.links.append(this.link("console-log", message.consoleLog, base + ".console.txt",
                                        `console (${message.lines} ${lines})`));
        }
        // For scripts and benchmarks: the worker's time for the conversion, and the
        // bytes of its WebAssembly memory after it.
        this.node.dataset.convertMs = message.milliseconds.toFixed(1);
        this.node.dataset.convertMemory = message.convertMemory;
    }

    // The picture after the conversion: the work on the file ends with it.
    async finished(message, fit, seq) {
        if (this.document !== null) {
            // The fit choice changed while the file was converting: drawn again with it.
            if (seq !== this.seq) this.redraw();
            else if (message.report) await this.drawn(message, fit, seq);
        }
        this.node.dataset.memory = message.memory; // after the picture too
        if (!this.discarded) this.end(this.exitCode === 0 ? "done" : "failed");
    }

    // The work on the file stopped before its end: the worker's module aborted (out of
    // memory), could not start, or the worker itself was lost.
    stopped(reason, converting) {
        const inConversion = converting && this.exitCode === undefined;
        this.note.textContent =
            `${inConversion ? "The conversion" : "The picture"} stopped: ${reason}`;
        if (inConversion) this.end("failed");
        else if (converting) this.end(this.exitCode === 0 ? "done" : "failed");
    }

    end(state) {
        this.done = true;
        this.node.dataset.state = state;
        batchChanged();
    }

    redraw() {
        this.seq++;
        // A picture still waiting for a worker is no longer wanted.
        for (let i = waiting.length - 1; i >= 0; i--)
            if (waiting[i].result === this && waiting[i].message.kind === "preview")
                waiting.splice(i, 1);
        for (const runner of runners)
            if (runner.job?.result === this && runner.job.message.kind === "preview")
                cancel(runner.job);
        if (this.document === null) return;
        submit(this, { kind: "preview", document: this.document, documentName: this.name,
                       fit: this.fit }, this.seq);
    }

    discard() {
        this.discarded = true;
        for (const url of this.urls) URL.revokeObjectURL(url);
        this.urls = [];
        this.node.remove();
    }
}

// The workers. A runner is one worker and the job it has; a worker that cannot run
// Meshlift is `broken` with the reason, takes no jobs, and is replaced for the next
// batch.
function newRunner() {
    const runner = { worker: new Worker("worker.js"), job: null, ready: false, broken: null };
    runner.worker.onmessage = (event) => received(runner, event.data);
    runner.worker.onerror = (event) => {
        event.preventDefault();
        lost(runner, event.message ? `the worker stopped: ${event.message}`
                                   : "worker.js could not be started");
    };
    runner.worker.onmessageerror = () => lost(runner, "a message from the worker could not be read");
    return runner;
}

// A worker that has started its module, or a new one, takes the place of `runner`.
function replace(runner) {
    runner.worker.terminate();
    let fresh;
    if (spare !== null && spare.ready && spare.broken === null) {
        fresh = spare;
        spare = newRunner(); // started now, for the next time
    } else {
        fresh = newRunner();
    }
    runners[runners.indexOf(runner)] = fresh;
}

function isOurs(runner) {
    return runners.includes(runner);
}

// The worker died or a message from it was lost: its file fails with the reason, and
// it gives way to another one, unless it never got its module going at all.
function lost(runner, reason) {
    if (runner === spare) {
        spare.broken = reason;
        settled();
        return;
    }
    if (!isOurs(runner)) return;
    const job = runner.job;
    ended(runner);
    if (!runner.ready) {
        broken(runner, reason);
        return;
    }
    replace(runner);
    if (job !== null) failJob(job, reason);
    dispatch();
}

function broken(runner, reason) {
    runner.broken = reason;
    runner.worker.terminate();
    problem = `This browser cannot run Meshlift here: ${reason}`;
    settled();
    // When no worker can run Meshlift, no file may wait for one.
    if (runners.every((each) => each.broken !== null)) {
        const jobs = waiting.splice(0);
        for (const job of jobs) failJob(job, reason);
    }
    batchChanged();
    dispatch();
}

function failJob(job, reason) {
    if (!batch.includes(job.result)) return;
    job.result.stopped(reason, job.message.kind === "convert");
}

// Every worker has its module or has given up: the page is ready (the hook for
// scripts), and from then on it needs no network.
function settled() {
    const done = (runner) => runner.ready || runner.broken !== null;
    if (runners.every(done) && (spare === null || done(spare)))
        document.documentElement.dataset.ready = "yes";
}

function dispatch() {
    for (const runner of runners) {
        if (runner.job !== null || !runner.ready || runner.broken !== null) continue;
        if (waiting.length === 0) break;
        runner.job = waiting.shift();
        runner.job.message.token = URL.createObjectURL(new Blob([]));
        runner.worker.postMessage(runner.job.message);
    }
}

// Asks the worker to stop the job it has: it looks at the job's token now and then,
// and stops when the token is revoked. Its reply then frees it for the next job.
function cancel(job) {
    if (job.message.token) URL.revokeObjectURL(job.message.token);
}

// The job has ended, one way or another.
function ended(runner) {
    if (runner.job !== null) cancel(runner.job);
    runner.job = null;
}

function submit(result, message, seq) {
    message.id = nextJob++;
    waiting.push({ result, message, seq });
    dispatch();
}

function received(runner, message) {
    if (message.type === "ready") {
        runner.ready = true;
        settled();
        dispatch();
        return;
    }
    if (message.type === "broken") {
        const job = runner.job;
        if (runner === spare) {
            spare.broken = message.message;
            settled();
            return;
        }
        if (!isOurs(runner)) return;
        ended(runner);
        if (job !== null) failJob(job, message.message);
        broken(runner, message.message);
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
    ended(runner);
    dispatch();
    if (!current || message.type === "cancelled") return;
    const converting = job.message.kind === "convert";
    if (message.type === "crashed") result.stopped(message.message, converting);
    else if (converting) result.finished(message, job.message.fit, job.seq);
    else result.drawn(message, job.message.fit, job.seq);
}

function startRunners() {
    for (let i = 0; i < workerCount; i++) runners.push(newRunner());
    spare = newRunner();
}

function batchChanged() {
    const finished = batch.filter((result) => result.done);
    const documents = batch.filter((result) => result.document !== null).length;
    zipButton.disabled = finished.length < batch.length || documents === 0 || zipping !== null;
    problemLine.textContent = problem;
    if (batch.length === 0) statusLine.textContent = "";
    else if (finished.length < batch.length)
        statusLine.textContent = `Converting: ${finished.length} of ${batch.length} files done.`;
    else {
        const failed = finished.filter((result) => result.node.dataset.state === "failed").length;
        const messages = finished.filter((result) =>
            result.node.dataset.state === "done" && result.lines > 0).length;
        const converted = batch.length - failed - messages;
        const files = batch.length === 1 ? "1 file" : `${batch.length} files`;
        statusLine.textContent =
            `${files}: ${converted} converted, ${messages} with messages, ${failed} failed.`;
    }
}

// Each file's title and data-path: its path, where it was dropped with one, else its
// name; files of one batch that would share one are told apart by a number.
function distinctPaths(entries) {
    const taken = new Set();
    return entries.map(({ path }) => {
        let unique = path;
        for (let copy = 2; taken.has(unique); copy++) unique = `${path} (${copy})`;
        taken.add(unique);
        return unique;
    });
}

// Starts a new batch: the work for the last one stops (busy workers are told to stop,
// broken ones are replaced), its results go, their links with them.
function startBatch(entries) {
    waiting.length = 0;
    cancelZip();
    for (const runner of [...runners]) {
        if (runner.job !== null) cancel(runner.job);
        if (runner.broken !== null) replace(runner);
    }
    if (runners.some((runner) => runner.broken === null)) problem = "";
    for (const result of batch) result.discard();
    batchEntries = entries;
    const mode = modeSelect.value === "quad" ? "quad" : "tri";
    const fit = fitBox.checked;
    const paths = distinctPaths(entries);
    batch = entries.map(({ file }, i) => new SceneResult(file, paths[i], mode, fit));
    for (const result of batch) {
        resultsList.append(result.node);
        submit(result, { kind: "convert", file: result.file, mode, fit, documentName: result.name },
               result.seq);
    }
    batchChanged();
    dispatch();
}

// The fit choice changed: every picture is drawn again with it.
function redrawAll() {
    for (const result of batch) {
        result.fit = fitBox.checked;
        result.redraw();
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
// it was dropped in, written by the zip worker.
let zipWorker = null;
let zipping = null; // the zip being written: its job id and batch
let nextZip = 1;

function startZipWorker() {
    zipWorker = new Worker("zip.js");
    zipWorker.onmessage = (event) => zipReceived(event.data);
    zipWorker.onerror = (event) => {
        event.preventDefault();
        zipWorker.terminate();
        zipWorker = null;
        if (zipping === null) return;
        zipping = null;
        zipEnded(`The zip could not be made: ${event.message || "zip.js could not be started"}`);
    };
}

function zipEnded(text) {
    zipProgress.hidden = true;
    batchChanged();
    if (text) statusLine.textContent = text;
}

function zipReceived(message) {
    if (zipping === null || message.id !== zipping.id) return; // a zip of an earlier batch
    if (message.type === "progress") {
        zipProgress.hidden = false;
        zipProgress.max = message.total;
        zipProgress.value = message.done;
        return;
    }
    zipping = null;
    if (message.type === "failed") {
        zipEnded(`The zip could not be made: ${message.message}`);
        return;
    }
    for (const old of zipLinks.querySelectorAll("a")) URL.revokeObjectURL(old.href);
    zipLinks.replaceChildren();
    const anchor = element("a", "zip", "meshlift-documents.zip");
    anchor.href = URL.createObjectURL(message.zip);
    anchor.download = "meshlift-documents.zip";
    zipLinks.append(anchor);
    zipEnded("");
    anchor.click();
}

function downloadZip() {
    if (zipping !== null) return;
    const taken = new Set();
    const entries = [];
    for (const result of batch) {
        if (result.document === null) continue;
        let name = documentName(result.path);
        for (let copy = 2; taken.has(name); copy++)
            name = documentName(result.path).replace(/\.xml$/, ` (${copy}).xml`);
        taken.add(name);
        entries.push({ name, blob: result.document });
    }
    if (zipWorker === null) startZipWorker();
    zipping = { id: nextZip++ };
    zipButton.disabled = true;
    zipProgress.value = 0;
    zipWorker.postMessage({ type: "zip", id: zipping.id, entries });
}

// A new batch: the zip of the last one stops, and its link goes.
function cancelZip() {
    if (zipping !== null && zipWorker !== null)
        zipWorker.postMessage({ type: "cancel", id: zipping.id });
    zipping = null;
    zipProgress.hidden = true;
    for (const old of zipLinks.querySelectorAll("a")) URL.revokeObjectURL(old.href);
    zipLinks.replaceChildren();
}

scenesInput.addEventListener("change", () => {
    const entries = [...scenesInput.files].map((file) => ({ file, path: file.name }));
    // Emptied, so that choosing the same files again is a change too.
    scenesInput.value = "";
    if (entries.length > 0) startBatch(entries);
});
modeSelect.addEventListener("change", () => {
    if (batchEntries.length > 0) startBatch(batchEntries);
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
startZipWorker();
