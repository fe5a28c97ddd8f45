#pragma once

#include "ZAV_Export.h"

#include <QObject>
#include <array>
#include <memory>

// The permission set of a level: four fixed rights and the host's custom rights 1 to 100.
// Every right is false in a new set.
class ZAV_EXPORT Class_LevelEnable : public QObject, public std::enable_shared_from_this<Class_LevelEnable> {
    Q_OBJECT
    Q_PROPERTY(bool AllowManageLevel READ AllowManageLevel WRITE setAllowManageLevel)
    Q_PROPERTY(bool AllowManageOperator READ AllowManageOperator WRITE setAllowManageOperator)
    Q_PROPERTY(bool DisShutDown READ DisShutDown WRITE setDisShutDown)
    Q_PROPERTY(bool AllowDesktop READ AllowDesktop WRITE setAllowDesktop)

    struct Token {};

public:
    static constexpr int CustomCount = 100;

    explicit Class_LevelEnable(Token);
    ~Class_LevelEnable() override;
    static std::shared_ptr<Class_LevelEnable> create();

    bool AllowManageOperator() const { return m_allowManageOperator; }
    void setAllowManageOperator(bool v) { m_allowManageOperator = v; }
    bool AllowManageLevel() const { return m_allowManageLevel; }
    void setAllowManageLevel(bool v) { m_allowManageLevel = v; }
    bool DisShutDown() const { return m_disShutDown; }
    void setDisShutDown(bool v) { m_disShutDown = v; }
    bool AllowDesktop() const { return m_allowDesktop; }
    void setAllowDesktop(bool v) { m_allowDesktop = v; }

    // Index 1 to 100; any other index fails with automation error 9 and changes nothing.
    Q_INVOKABLE bool AllowCustom(int index) const;
    Q_INVOKABLE void setAllowCustom(int index, bool value);

    // Number of custom rights that are true (the NEnable count of a stored level).
    int CountCustom() const;

private:
    bool m_allowManageOperator = false;
    bool m_allowManageLevel = false;
    bool m_disShutDown = false;
    bool m_allowDesktop = false;
    std::array<bool, CustomCount> m_custom{};
};
