#pragma once
// Coordinator services over fakes; every call is written to `calls` in order.
#include "App/CoordinatorServices.h"
#include "App/ToastPresenter.h"
#include "fakes/FakeActivationPolicy.h"
#include "fakes/FakeAppIdentity.h"
#include "fakes/FakeKeyboardInfo.h"
#include "fakes/FakeLoginItemService.h"
#include "fakes/FakeUserDefaults.h"
#include "Settings/SettingsManager.h"
#include "Storage/Storage.h"

#include <QStringList>

class FakeCoordinatorServices final : public CoordinatorServices {
public:
    FakeCoordinatorServices() { activation.journal = &calls; }

    UserDefaults& userDefaults() override { return defaults; }
    ActivationPolicy& activationPolicy() override { return activation; }
    AppIdentity& appIdentity() override { return identity; }

    std::unique_ptr<SettingsManager> makeSettingsManager() override
    {
        calls.append(QStringLiteral("makeSettingsManager"));
        return std::make_unique<SettingsManager>(defaults, loginItem, keyboard);
    }
    std::unique_ptr<ToastPresenter> makeToastPresenter() override
    {
        calls.append(QStringLiteral("makeToastPresenter"));
        return std::make_unique<ToastPresenter>();
    }
    void ensureDirectories() override
    {
        calls.append(QStringLiteral("ensureDirectories"));
        Storage::ensureDirectories();
    }

    QStringList calls;
    FakeUserDefaults defaults;
    FakeLoginItemService loginItem;
    FakeKeyboardInfo keyboard;
    FakeActivationPolicy activation;
    FakeAppIdentity identity;
};
