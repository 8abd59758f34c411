#pragma once
#include "Platform/GlobalHotkeys.h"

#include <QHash>
#include <QList>
#include <QPair>

// Records registrations; statuses can be scripted per combination, and a press
// is simulated with press(id) the way the real backend reports one.
class FakeGlobalHotkeys final : public GlobalHotkeys {
public:
    struct Registration {
        uint32_t id;
        uint32_t keyCode;
        uint32_t modifiers;
    };

    void installHandler(Handler h) override
    {
        handler = std::move(h);
        ++handlerInstalls;
    }
    int registerHotkey(uint32_t id, uint32_t keyCode, uint32_t modifiers) override
    {
        attempts.append({id, keyCode, modifiers});
        const int status = refuse.value(qMakePair(keyCode, modifiers), 0);
        if (status == 0)
            active.append({id, keyCode, modifiers});
        return status;
    }
    void unregisterHotkey(uint32_t id) override
    {
        unregistered.append(id);
        for (int i = 0; i < active.size(); ++i)
            if (active[i].id == id)
                active.removeAt(i--);
    }
    void press(uint32_t id)
    {
        if (handler)
            handler(id);
    }

    Handler handler;
    int handlerInstalls = 0;
    QList<Registration> attempts;
    QList<Registration> active;
    QList<uint32_t> unregistered;
    QHash<QPair<uint32_t, uint32_t>, int> refuse;
};
