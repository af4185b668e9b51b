sunny,85,85,FALSE,no
overcast,83,86,FALSE,yes
rainy,70