#pragma once
#include "App/CoordinatorServices.h"

#include <memory>

class KeyboardInfo;
class LoginItemService;

// The services of the running program on X11.
class DefaultCoordinatorServices final : public CoordinatorServices {
public:
    DefaultCoordinatorServices();
    ~DefaultCoordinatorServices() override;

    UserDefaults& userDefaults() override;
    ActivationPolicy& activationPolicy() override;
    AppIdentity& appIdentity() override;

    std::unique_ptr<SettingsManager> makeSettingsManager() override;
    std::unique_ptr<ToastPresenter> makeToastPresenter() override;
    void ensureDirectories() override;

private:
    std::unique_ptr<UserDefaults> m_defaults;
    std::unique_ptr<LoginItemService> m_loginItem;
    std::unique_ptr<KeyboardInfo> m_keyboard;
    std::unique_ptr<ActivationPolicy> m_activation;
    std::unique_ptr<AppIdentity> m_identity;
};
