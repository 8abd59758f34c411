#pragma once
// Builds the coordinator's services and hands it the platform pieces it uses.
// The coordinator calls the make* operations in its fixed start-up order.
#include <memory>

class ActivationPolicy;
class AppIdentity;
class SettingsManager;
class ToastPresenter;
class UserDefaults;

class CoordinatorServices {
public:
    virtual ~CoordinatorServices() = default;

    virtual UserDefaults& userDefaults() = 0;
    virtual ActivationPolicy& activationPolicy() = 0;
    virtual AppIdentity& appIdentity() = 0;

    virtual std::unique_ptr<SettingsManager> makeSettingsManager() = 0;
    virtual std::unique_ptr<ToastPresenter> makeToastPresenter() = 0;
    // Creates the storage folders before any history store is made.
    virtual void ensureDirectories() = 0;
};
