#pragma once

#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace quandrelle {

// The single-instance screens and the list of open screens. Each screen is defined once by name
// with a factory; constructing it is its load step. A screen is loaded on first reference, listed
// the first time it is shown or unloaded, hidden rather than destroyed between visits, and built
// afresh (its load step running again) when it is referenced after an unload.
class FormRegistry {
public:
    using Factory = std::function<std::unique_ptr<QWidget>()>;

    FormRegistry() = default;
    ~FormRegistry();
    FormRegistry(const FormRegistry&) = delete;
    FormRegistry& operator=(const FormRegistry&) = delete;

    void define(const std::string& name, Factory factory);
    bool isDefined(const std::string& name) const;
    bool isLoaded(const std::string& name) const;

    // The screen, loading it when it is not loaded. Throws std::out_of_range for an unknown name.
    QWidget& form(const std::string& name);
    template <typename T>
    T& form(const std::string& name) {
        return dynamic_cast<T&>(form(name));
    }

    // Lists the screen if needed, shows it non-modally and returns it.
    QWidget& ShowForm(const std::string& name);
    // Lists the screen if needed (true when it had to be added), then unloads it.
    bool UnloadForm(const std::string& name);
    // Unloads every listed screen, in list order.
    void UnloadAllForms();
    bool FormIsListed(const std::string& name) const;
    // The names of the listed screens, in list order.
    const std::vector<std::string>& OpenFormList() const { return m_list; }

private:
    struct Entry {
        Factory factory;
        std::unique_ptr<QWidget> instance;
    };

    Entry& entry(const std::string& name);
    void AddFormToList(const std::string& name);

    std::map<std::string, Entry> m_entries;
    std::vector<std::string> m_list;
};

}  // namespace quandrelle
