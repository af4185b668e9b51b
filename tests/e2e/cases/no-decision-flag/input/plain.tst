x p yes -
y q no -
x q no -