// The reference tables: their maintenance windows and the seeding of their default rows.
#pragma once

// Registers every procedure of the reference tables by name.
void registerTableProcedures();

// The client setup menu: user-field titles, locations, heirs and the import of a database.
void SetupMenu();

// Locations (rooms) and the boxes in them, per client.
void BrowseLocation();
void UpdateLocation();
void UpdateBoxNumber();

// Categories and their item types, shared by all clients.
void BrowseCategory();
void UpdateCategory();
void UpdateType();

// Heirs and the titles of the user-defined item fields, per client.
void BrowseHeirs();
void UpdateHeirs();
void UpdateUserFields();

// The shared look-up tables of the item forms.
void BrowseConditions();
void UpdateConditions();
void BrowseManufacturers();
void UpdateManufacturers();
void BrowseVendors();
void UpdateVendors();
void BrowseSubjects();
void UpdateQORSubject();

// The seeding points run at program start and when a client's home-inventory menu opens.
void VerifyHomeFiles();
void VerifyStandardFiles();
void VerifyLocationFiles();
