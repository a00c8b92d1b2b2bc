#pragma once

#include <QStringList>

class SearchBar;
class TForm_Glavn;

// Lets the program run for that long, as between a person's keys.
void pause(int ms);

// The search window, opened through its menu command when it is not on screen.
SearchBar& openSearch(TForm_Glavn& window);

// Waits, as a person does, until the search says what it found or its query is empty.
void waitForResults(SearchBar& bar);

// The text of every row of the result list: whole, or only each row's first line (the branch).
enum class RowText { Whole, FirstLine };
QStringList listRows(SearchBar& bar, RowText part);
