#pragma once
// Whether a file is a PDF document. A PDF is known by its content: the
// "%PDF-" header within its first kilobyte (where viewers look for it),
// whatever the file is called. Only a file that cannot be read is judged by
// its name ending in ".pdf", so that opening it reports the failure.
#include <QString>

bool isPdfFile(const QString& path);
