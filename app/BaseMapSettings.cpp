// SPDX-License-Identifier: GPL-3.0-or-later
#include "BaseMapSettings.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include "WebBrowser2.h"
#include "settings/Config.h"

namespace orvane {

namespace {
const QString kScriptName = QStringLiteral("orvane base map settings");
}  // namespace

QString ConfiguredTileUrl()
{
    return ReadConfigValue("basemap", "tiles");
}

void ApplyTileUrl(CWebBrowser2& browser, const QString& tileUrl)
{
    QWebEngineScriptCollection& scripts = browser.View()->page()->scripts();
    for (const QWebEngineScript& old : scripts.find(kScriptName))
        scripts.remove(old);
    if (tileUrl.isEmpty())
        return;
    // The text as a script string literal: a JSON array's one element.
    const QByteArray array = QJsonDocument(QJsonArray{tileUrl}).toJson(QJsonDocument::Compact);
    QWebEngineScript script;
    script.setName(kScriptName);
    script.setSourceCode(QStringLiteral("window.orvaneTileUrl = %1[0];").arg(QString::fromUtf8(array)));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(false);
    scripts.insert(script);
}

}  // namespace orvane
