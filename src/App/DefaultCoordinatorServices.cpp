#include "App/DefaultCoordinatorServices.h"

#include "App/ToastPresenter.h"
#include "Platform/Qt/QtAppIdentity.h"
#include "Platform/Qt/SettingsFileUserDefaults.h"
#include "Platform/Qt/XdgAutostartLoginItem.h"
#include "Platform/X11/X11ActivationPolicy.h"
#include "Platform/X11/XkbKeyboardInfo.h"
#include "Settings/SettingsManager.h"
#include "Storage/Storage.h"

DefaultCoordinatorServices::DefaultCoordinatorServices()
    : m_defaults(std::make_unique<SettingsFileUserDefaults>())
    , m_loginItem(std::make_unique<XdgAutostartLoginItem>())
    , m_keyboard(std::make_unique<XkbKeyboardInfo>())
    , m_activation(std::make_unique<X11ActivationPolicy>())
    , m_identity(std::make_unique<QtAppIdentity>())
{
}

DefaultCoordinatorServices::~DefaultCoordinatorServices() = default;

UserDefaults& DefaultCoordinatorServices::userDefaults() { return *m_defaults; }
ActivationPolicy& DefaultCoordinatorServices::activationPolicy() { return *m_activation; }
AppIdentity& DefaultCoordinatorServices::appIdentity() { return *m_identity; }

std::unique_ptr<SettingsManager> DefaultCoordinatorServices::makeSettingsManager()
{
    return std::make_unique<SettingsManager>(*m_defaults, *m_loginItem, *m_keyboard);
}

std::unique_ptr<ToastPresenter> DefaultCoordinatorServices::makeToastPresenter()
{
    return std::make_unique<ToastPresenter>();
}

void DefaultCoordinatorServices::ensureDirectories()
{
    Storage::ensureDirectories();
}
