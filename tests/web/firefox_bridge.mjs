// The page test's hands in Firefox: Debian's firefox-esr driven by puppeteer-core over
// WebDriver BiDi (no geckodriver, no browser download). page_test.py writes one JSON
// command a line on standard input and reads one JSON reply a line on standard output:
//   {"do": "goto", "url": ...}            load a page
//   {"do": "script", "source": ...}       evaluate an expression (awaited), reply its value
//   {"do": "choose", "selector": ..., "paths": [...]}   set the files of a file input
//   {"do": "visit", "url": ...}           open a URL in a tab of its own, then close it
//   {"do": "quit"}
import { createInterface } from "node:readline";
import puppeteer from "puppeteer-core";

const browser = await puppeteer.launch({
    browser: "firefox",
    executablePath: process.env.MESHLIFT_FIREFOX || "/usr/bin/firefox-esr",
    headless: true,
    protocolTimeout: 600000,
});
const page = await browser.newPage();

async function perform(command) {
    switch (command.do) {
    case "goto":
        await page.goto(command.url, { waitUntil: "load" });
        return null;
    case "script":
        return await page.evaluate(command.source);
    case "choose": {
        const input = await page.$(command.selector);
        await input.uploadFile(...command.paths);
        return null;
    }
    case "visit": {
        const tab = await browser.newPage();
        try {
            await tab.goto(command.url, { waitUntil: "load", timeout: 10000 });
        } catch (error) {
            // A download is no page: the load is aborted, which is what we want.
        }
        await new Promise((resolve) => setTimeout(resolve, 1000));
        await tab.close();
        return null;
    }
    case "quit":
        await browser.close();
        process.exit(0);
    }
    throw new Error(`unknown command ${command.do}`);
}

const lines = createInterface({ input: process.stdin });
process.stdout.write(JSON.stringify({ ready: true }) + "\n");
for await (const line of lines) {
    let reply;
    try {
        reply = { value: await perform(JSON.parse(line)) };
    } catch (error) {
        reply = { error: String(error && error.stack || error) };
    }
    process.stdout.write(JSON.stringify(reply === undefined ? { value: null } : reply) + "\n");
}
await browser.close();
