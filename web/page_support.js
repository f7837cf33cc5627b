// The browser side of page_support.cpp, linked into the module as an emscripten
// JavaScript library: these functions run in the page's worker, where FileReaderSync
// reads a Blob without giving up the thread, so the converter's synchronous reads stay
// as they are. The Blob at hand and the receivers of one call (`onBlobRead`,
// `onDocument`, `onConsole`, `onPicture`, `onReportLine`) are `pageCall`'s while the
// call runs: page_calls.js makes the calls.

mergeInto(LibraryManager.library, {
    // The call that runs now: its Blob and its receivers.
    $pageCall: {
        blob: null,
        receivers: null,
    },


    // The Blob is read in slices of 8 MiB, and the last three are kept: each read of a
    // Blob costs several milliseconds whatever its size, and the colour look-ahead
    // reads ahead of the conversion, which then reads the same bytes again. The slices
    // live in the worker's own memory, never in the module's.
    $blobSlices__deps: ["$pageCall"],
    $blobSlices: {
        sliceBytes: 8 * 1024 * 1024,
        kept: 3,
        blob: null,
        slices: [],

        // The slice that starts at `start` (a multiple of sliceBytes); throws when the
        // browser cannot read the Blob.
        at: function(start) {
            if (blobSlices.blob !== pageCall.blob) {
                blobSlices.blob = pageCall.blob;
                blobSlices.slices = [];
            }
            let slice = blobSlices.slices.find((each) => each.start === start);
            if (!slice) {
                const piece = blobSlices.blob.slice(start, start + blobSlices.sliceBytes);
                const bytes = new FileReaderSync().readAsArrayBuffer(piece);
                slice = {start: start, bytes: new Uint8Array(bytes)};
                blobSlices.slices.push(slice);
                if (blobSlices.slices.length > blobSlices.kept) blobSlices.slices.shift();
            }
            return slice;
        },

        forget: function() {
            blobSlices.blob = null;
            blobSlices.slices = [];
        },
    },

    meshlift_blob_size__deps: ["$pageCall"],
    meshlift_blob_size: function() {
        return pageCall.blob.size;
    },

    meshlift_blob_readable__deps: ["$blobSlices"],
    meshlift_blob_readable: function() {
        try {
            blobSlices.at(0); // an empty Blob too: reading it checks the file behind it
            return 1;
        } catch (error) {
            return 0;
        }
    },

    meshlift_read_blob_at__deps: ["$blobSlices", "$pageCall"],
    meshlift_read_blob_at: function(offset, data, size) {
        const end = Math.min(offset + size, pageCall.blob.size);
        let at = offset;
        try {
            while (at < end) {
                const start = at - (at % blobSlices.sliceBytes);
                const slice = blobSlices.at(start);
                const to = Math.min(end, start + slice.bytes.length);
                if (to <= at) break; // the file is shorter now than its size said
                HEAPU8.set(slice.bytes.subarray(at - start, to - start), data + (at - offset));
                at = to;
            }
        } catch (error) {
            return -1;
        }
        pageCall.receivers.onBlobRead(at);
        return at - offset;
    },

    meshlift_forget_blob__deps: ["$blobSlices"],
    meshlift_forget_blob: function() {
        blobSlices.forget();
    },

    meshlift_hand_document__deps: ["$pageCall"],
    meshlift_hand_document: function(data, size) {
        pageCall.receivers.onDocument(HEAPU8.slice(data, data + size));
    },

    meshlift_hand_console__deps: ["$pageCall"],
    meshlift_hand_console: function(data, size) {
        pageCall.receivers.onConsole(HEAPU8.slice(data, data + size));
    },

    meshlift_hand_picture__deps: ["$pageCall"],
    meshlift_hand_picture: function(rgba, width, height) {
        const pixels = new Uint8ClampedArray(HEAPU8.slice(rgba, rgba + width * height * 4).buffer);
        pageCall.receivers.onPicture(pixels, width, height);
    },

    meshlift_hand_report_line__deps: ["$pageCall"],
    meshlift_hand_report_line: function(data, size) {
        pageCall.receivers.onReportLine(UTF8ToString(data, size));
    },
});
