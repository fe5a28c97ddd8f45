#pragma once

// A credential file in a temporary folder, with rows written straight through the engine: tests and
// benchmarks set up exactly the levels and operators they need.

#include <QString>
#include <QTemporaryDir>
#include <map>
#include <vector>

namespace zav::test {

struct LevelSpec {
    LevelSpec(int levelId, QString levelName, bool manageLevelRight = false, bool manageOperatorRight = false,
              bool disShutDownRight = false, bool desktopRight = false, std::vector<int> customRights = {})
        : id(levelId), name(std::move(levelName)), manageLevel(manageLevelRight),
          manageOperator(manageOperatorRight), disShutDown(disShutDownRight), desktop(desktopRight),
          customs(std::move(customRights)) {}

    int id;
    QString name;
    bool manageLevel;
    bool manageOperator;
    bool disShutDown;
    bool desktop;
    std::vector<int> customs; // custom rights that are true
    QString password;
};

struct StoredLevel {
    int id = 0;
    QString name;
    int nEnable = 0;
};

class CredentialFile {
public:
    // `path`: a file path or a server URI (an empty database there); a file of its own folder by default.
    explicit CredentialFile(const QString& path = QString());

    QString path() const { return m_path; }
    // Creates the file with both tables and the relation, and no rows.
    void create();
    void addLevels(const std::vector<LevelSpec>& levels);
    // Adds operators, all in one transaction: each name goes to the level given for it.
    void addOperators(const std::vector<std::pair<QString, int>>& operators);

    // Stored levels by name, their IDs by name, and the level of every operator by name.
    std::map<QString, StoredLevel> levels() const;
    std::map<QString, int> levelIdsByName() const;
    std::map<QString, int> operatorLevels() const;
    // The value of a Boolean field of level `id`.
    bool levelFlag(int id, const QString& field) const;

private:
    QTemporaryDir m_dir;
    QString m_path;
};

} // namespace zav::test
