#include "quandrelle/screens/framework/FormRegistry.h"

#include <QCoreApplication>
#include <QEvent>
#include <algorithm>
#include <stdexcept>

namespace quandrelle {

FormRegistry::~FormRegistry() {
    for (auto& [name, entry] : m_entries) {
        entry.instance.reset();
    }
    // Screens unloaded from inside their own handlers were left for deferred deletion.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void FormRegistry::define(const std::string& name, Factory factory) {
    m_entries[name].factory = std::move(factory);
}

bool FormRegistry::isDefined(const std::string& name) const {
    auto found = m_entries.find(name);
    return found != m_entries.end() && found->second.factory;
}

bool FormRegistry::isLoaded(const std::string& name) const {
    auto found = m_entries.find(name);
    return found != m_entries.end() && found->second.instance != nullptr;
}

FormRegistry::Entry& FormRegistry::entry(const std::string& name) {
    auto found = m_entries.find(name);
    if (found == m_entries.end() || !found->second.factory) {
        throw std::out_of_range("No screen is named " + name);
    }
    return found->second;
}

QWidget& FormRegistry::form(const std::string& name) {
    Entry& e = entry(name);
    if (e.instance == nullptr) {
        e.instance = e.factory();
        e.instance->setObjectName(QString::fromStdString(name));
    }
    return *e.instance;
}

bool FormRegistry::FormIsListed(const std::string& name) const {
    return std::find(m_list.begin(), m_list.end(), name) != m_list.end();
}

void FormRegistry::AddFormToList(const std::string& name) {
    m_list.push_back(name);
}

QWidget& FormRegistry::ShowForm(const std::string& name) {
    QWidget& screen = form(name);
    if (!FormIsListed(name)) {
        AddFormToList(name);
    }
    screen.show();
    screen.raise();
    screen.activateWindow();
    return screen;
}

bool FormRegistry::UnloadForm(const std::string& name) {
    Entry& e = entry(name);
    const bool added = !FormIsListed(name);
    if (added) {
        AddFormToList(name);
    }
    if (e.instance != nullptr) {
        // The unload may come from a handler of the screen itself, so the widget goes only once
        // control is back in the event loop; it is hidden and forgotten at once.
        QWidget* unloaded = e.instance.release();
        unloaded->hide();
        unloaded->deleteLater();
    }
    return added;
}

void FormRegistry::UnloadAllForms() {
    const std::vector<std::string> listed = m_list;
    for (const std::string& name : listed) {
        UnloadForm(name);
    }
}

}  // namespace quandrelle
