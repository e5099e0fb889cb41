-- Words that the name filter replaces in text that players type.
-- From: one pattern or a list of patterns; "?" matches any one character and case does
-- not matter. To: what replaces a match ("-" when left out).
Swear =
{
   { From = { "darn", "d?mn" }, To = "****" },
   { From = "heck", To = "h**k" },
   { From = "stupid" },
}
