// Component-editor utilities that work on an open component database.
#pragma once

class CDBComponent;

class CCEGeneralUtil {
  public:
    explicit CCEGeneralUtil(CDBComponent* db) : db_(db) {}
    // Removes every model that no component maps to. Raises CDatabaseException.
    void Clearup_all_unlinked_model();
    // Removes every symbol that no component maps to, then every symbol picture no symbol shows.
    void Clearup_all_unlinked_symbol_picture();

  private:
    CDBComponent& Db();
    CDBComponent* db_;
};
