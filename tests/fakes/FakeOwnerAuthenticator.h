#pragma once
#include "Platform/OwnerAuthenticator.h"

#include <QList>

// Records each request; the test answers it later with answer().
class FakeOwnerAuthenticator final : public OwnerAuthenticator {
public:
    QString accountName() const override { return account; }
    bool canAuthenticate() override { return available; }
    void authenticate(const Prompt& prompt, std::function<void(bool)> done) override
    {
        prompts.append(prompt);
        pending.append(std::move(done));
    }
    // Answers the oldest open request.
    void answer(bool success)
    {
        if (pending.isEmpty())
            return;
        auto done = pending.takeFirst();
        if (done)
            done(success);
    }

    bool available = true;
    QString account = QStringLiteral("tester");
    QList<Prompt> prompts;
    QList<std::function<void(bool)>> pending;
};
