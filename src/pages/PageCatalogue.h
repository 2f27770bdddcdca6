#pragma once

class MainFrm;

// Which page class stands behind each page name of the device table.
namespace PageCatalogue {

void RegisterPages(MainFrm& window);

} // namespace PageCatalogue
