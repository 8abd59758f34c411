#pragma once
#include "Platform/TextRecognizer.h"

#include <QMutex>
#include <QWaitCondition>
#include <functional>

// Answers every picture with the scripted lines (or with what `answer` makes
// of it). Held calls wait until released one by one, so tests decide in which
// order recognitions finish; calls are numbered as they arrive (imageOf
// tells which picture a number got). Safe from any thread.
class FakeTextRecognizer final : public TextRecognizer {
public:
    QStringList availableLanguages() const override { return installed; }
    QList<RecognizedLine> recognize(const QImage& image, const QStringList& languages) override
    {
        int call;
        {
            QMutexLocker lock(&mutex);
            call = calls++;
            images.append(image);
            askedLanguages = languages;
            started.wakeAll();
        }
        if (hold) {
            QMutexLocker lock(&mutex);
            while (!released.contains(call))
                releasedChanged.wait(&mutex);
        }
        QMutexLocker lock(&mutex);
        return answer ? answer(image, call) : lines;
    }

    // Lets the call with this number (0 = the first) finish.
    void release(int call)
    {
        QMutexLocker lock(&mutex);
        released.append(call);
        releasedChanged.wakeAll();
    }
    // Waits until this many calls have started.
    bool waitForCalls(int count, int timeoutMs = 10000)
    {
        QMutexLocker lock(&mutex);
        QDeadlineTimer deadline(timeoutMs);
        while (calls < count)
            if (!started.wait(&mutex, deadline))
                return false;
        return true;
    }
    // The picture the call with this number was given.
    QImage imageOf(int call)
    {
        QMutexLocker lock(&mutex);
        return images.value(call);
    }
    int callCount()
    {
        QMutexLocker lock(&mutex);
        return calls;
    }

    static RecognizedLine line(const QString& text, QRect box)
    {
        RecognizedLine l{text, box, {}};
        const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const int step = words.isEmpty() ? 0 : box.width() / int(words.size());
        for (int i = 0; i < words.size(); ++i)
            l.words.append({words[i], QRect(box.x() + i * step, box.y(), step - 4, box.height())});
        return l;
    }

    QStringList installed{QStringLiteral("deu"), QStringLiteral("eng")};
    QList<RecognizedLine> lines;
    std::function<QList<RecognizedLine>(const QImage&, int call)> answer;
    bool hold = false;
    QStringList askedLanguages;

private:
    QMutex mutex;
    QWaitCondition started, releasedChanged;
    QList<int> released;
    QList<QImage> images;
    int calls = 0;
};
