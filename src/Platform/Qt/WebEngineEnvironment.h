#pragma once
// Process settings the off-screen web view needs before its engine starts.
namespace WebEngineEnvironment {
// Chromium refuses to run its sandbox as root (CI, containers): switch it off
// there. Harmless to call more than once; has effect only before the first
// web view is made.
void prepare();
}
