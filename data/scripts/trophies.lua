-- The trophies of the trophy room; none are awarded yet.
KIV_TROPHIES = {}
