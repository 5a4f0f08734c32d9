#include "ui/qt/PictureCache.h"

#include "ui/qt/Appearance.h"

namespace kostkolam::ui::qt {

const QPixmap& PictureCache::pixmap(const PictureAsset& asset) {
    if (const auto found = m_pixmaps.find(asset.resource); found != m_pixmaps.end()) {
        return found->second;
    }
    const QString path = QString::fromUtf8(asset.resource.data(), qsizetype(asset.resource.size()));
    return m_pixmaps.emplace(std::string(asset.resource), QPixmap(path)).first->second;
}

}  // namespace kostkolam::ui::qt
