#pragma once

#include <QPixmap>
#include <map>
#include <string>

#include "ui/Layout.h"

namespace kostkolam::ui::qt {

/// The game's pictures, each loaded once from the program's resources and then shared by every
/// window and brick that shows it.
class PictureCache {
  public:
    /// The picture of the asset, loaded on first use.
    const QPixmap& pixmap(const PictureAsset& asset);

  private:
    std::map<std::string, QPixmap, std::less<>> m_pixmaps;
};

}  // namespace kostkolam::ui::qt
