#pragma once

#include <QList>
#include <QString>

// The skin files the user can choose from: every readable .skn file of the skin folders,
// each file name once (the folder searched first wins, as when the skin is loaded).
struct SkinChoice {
    QString displayName;
    QString fileName; // without folder, as the setting Theme holds it
};

QList<SkinChoice> ListSkinFiles();
